// CSplashScreenEx: the picture shown while the main window is created.
//
// A borderless, top-most window without a task-bar entry, shaped like its
// picture: every pixel of the key colour (magenta) is cut out of the
// window's shape. It is centred on the screen's working area, fades in over
// 500 ms, stays 2000 ms, fades out over 200 ms and closes itself.
#pragma once

#include <QPixmap>
#include <QWidget>

class QPropertyAnimation;

namespace brinehold::ui {

class CSplashScreenEx : public QWidget {
 public:
  explicit CSplashScreenEx(const QPixmap& picture, QWidget* owner = nullptr);

  static constexpr int kFadeInMs = 500;
  static constexpr int kDisplayMs = 2000;
  static constexpr int kFadeOutMs = 200;

  // Places, shows and fades in the window and starts the display timer;
  // the window deletes itself after fading out.
  void Start();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void FadeOut();

  QPixmap picture_;
};

}  // namespace brinehold::ui
