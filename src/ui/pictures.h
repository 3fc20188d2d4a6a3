// The program's pictures, drawn in code: the application icon, the splash
// picture, the About box banner, the command bar's button images, the
// paging arrows and the object tree's images. Nothing is loaded from files,
// so the program carries no third-party artwork and every picture scales.
//
// The splash picture's background is the key colour (magenta): the splash
// window cuts every pixel of that colour out of its shape.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace brinehold::ui {

inline const QColor kKeyColour{255, 0, 255};

enum class CommandPicture { Open, Stop, Save, SaveRecords, LoadSnapshot, SaveSnapshot, Help, About };

QPixmap ApplicationPicture(int size);
QIcon ApplicationIcon();
QPixmap SplashPicture();
QPixmap AboutBanner(int width, int height);
QPixmap CommandImage(CommandPicture picture, int size);
// 24 x 24 green arrow pointing left or right.
QPixmap PagingArrow(bool pointsLeft);
// 16 x 16 tree images: a folder (an item with children) and an object.
QPixmap TreeFolderImage();
QPixmap TreeObjectImage();

}  // namespace brinehold::ui
