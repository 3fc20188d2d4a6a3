#include "ui/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace brinehold::ui {

namespace {

const QColor kDeepSea{16, 54, 86};
const QColor kSea{28, 110, 140};
const QColor kFoam{214, 238, 244};
const QColor kBrass{226, 170, 62};

QPixmap Transparent(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A database drum: three stacked discs in `rect`.
void DrawDrum(QPainter& p, const QRectF& rect, const QColor& body, const QColor& top) {
  const qreal capH = rect.height() * 0.28;
  QPainterPath side;
  side.moveTo(rect.left(), rect.top() + capH / 2);
  side.lineTo(rect.left(), rect.bottom() - capH / 2);
  side.arcTo(QRectF(rect.left(), rect.bottom() - capH, rect.width(), capH), 180, 180);
  side.lineTo(rect.right(), rect.top() + capH / 2);
  side.closeSubpath();
  p.setPen(QPen(body.darker(160), qMax<qreal>(1.0, rect.width() / 24)));
  p.setBrush(body);
  p.drawPath(side);
  for (int band = 1; band <= 2; ++band) {
    const qreal y = rect.top() + (rect.height() - capH) * band / 3;
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(rect.left(), y, rect.width(), capH), 180 * 16, 180 * 16);
  }
  p.setBrush(top);
  p.drawEllipse(QRectF(rect.left(), rect.top(), rect.width(), capH));
}

void DrawWaves(QPainter& p, const QRectF& rect, const QColor& colour, int crests) {
  QPainterPath wave;
  const qreal step = rect.width() / crests;
  wave.moveTo(rect.left(), rect.center().y());
  for (int i = 0; i < crests; ++i) {
    const qreal x = rect.left() + i * step;
    wave.cubicTo(x + step / 3, rect.top(), x + step * 2 / 3, rect.bottom(), x + step, rect.center().y());
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(colour, qMax<qreal>(1.2, rect.height() / 3), Qt::SolidLine, Qt::RoundCap));
  p.drawPath(wave);
}

void DrawArrow(QPainter& p, const QRectF& r, bool left, const QColor& colour) {
  QPolygonF arrow;
  const qreal mid = r.center().y(), h = r.height();
  if (left) {
    arrow << QPointF(r.left(), mid) << QPointF(r.left() + r.width() * 0.5, r.top())
          << QPointF(r.left() + r.width() * 0.5, mid - h * 0.2) << QPointF(r.right(), mid - h * 0.2)
          << QPointF(r.right(), mid + h * 0.2) << QPointF(r.left() + r.width() * 0.5, mid + h * 0.2)
          << QPointF(r.left() + r.width() * 0.5, r.bottom());
  } else {
    arrow << QPointF(r.right(), mid) << QPointF(r.left() + r.width() * 0.5, r.top())
          << QPointF(r.left() + r.width() * 0.5, mid - h * 0.2) << QPointF(r.left(), mid - h * 0.2)
          << QPointF(r.left(), mid + h * 0.2) << QPointF(r.left() + r.width() * 0.5, mid + h * 0.2)
          << QPointF(r.left() + r.width() * 0.5, r.bottom());
  }
  p.setPen(QPen(colour.darker(150), qMax<qreal>(1.0, r.width() / 20), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(colour);
  p.drawPolygon(arrow);
}

void DrawFolder(QPainter& p, const QRectF& r, const QColor& colour) {
  QPainterPath folder;
  folder.moveTo(r.left(), r.top() + r.height() * 0.15);
  folder.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.15);
  folder.lineTo(r.left() + r.width() * 0.5, r.top() + r.height() * 0.3);
  folder.lineTo(r.right(), r.top() + r.height() * 0.3);
  folder.lineTo(r.right(), r.bottom());
  folder.lineTo(r.left(), r.bottom());
  folder.closeSubpath();
  p.setPen(QPen(colour.darker(150), qMax<qreal>(1.0, r.width() / 16)));
  p.setBrush(colour);
  p.drawPath(folder);
}

void DrawGrid(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kDeepSea, qMax<qreal>(1.0, r.width() / 16)));
  p.setBrush(Qt::white);
  p.drawRect(r);
  p.fillRect(QRectF(r.left(), r.top(), r.width(), r.height() / 4), kSea);
  for (int i = 1; i < 4; ++i) p.drawLine(QPointF(r.left(), r.top() + r.height() * i / 4), QPointF(r.right(), r.top() + r.height() * i / 4));
  p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
}

void DrawDisk(QPainter& p, const QRectF& r, const QColor& colour) {
  p.setPen(QPen(colour.darker(170), qMax<qreal>(1.0, r.width() / 16)));
  p.setBrush(colour);
  p.drawRoundedRect(r, r.width() / 10, r.width() / 10);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.05, r.width() * 0.6, r.height() * 0.35));
  p.setBrush(colour.darker(140));
  p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.58, r.width() * 0.5, r.height() * 0.42));
}

void DrawBadge(QPainter& p, const QRectF& r, const QColor& colour, const QString& glyph) {
  p.setPen(QPen(colour.darker(150), qMax<qreal>(1.0, r.width() / 16)));
  p.setBrush(colour);
  p.drawEllipse(r);
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(static_cast<int>(r.height() * 0.7));
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(r, Qt::AlignCenter, glyph);
}

}  // namespace

QPixmap ApplicationPicture(int size) {
  QPixmap pixmap = Transparent(size, size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF frame(size * 0.03, size * 0.03, size * 0.94, size * 0.94);
  QLinearGradient sea(frame.topLeft(), frame.bottomLeft());
  sea.setColorAt(0, kSea.lighter(120));
  sea.setColorAt(1, kDeepSea);
  p.setPen(Qt::NoPen);
  p.setBrush(sea);
  p.drawRoundedRect(frame, size * 0.18, size * 0.18);
  DrawDrum(p, QRectF(size * 0.27, size * 0.14, size * 0.46, size * 0.56), kFoam, Qt::white);
  DrawWaves(p, QRectF(size * 0.12, size * 0.70, size * 0.76, size * 0.12), kBrass, 3);
  return pixmap;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(ApplicationPicture(size));
  return icon;
}

QPixmap SplashPicture() {
  const int width = 520, height = 300;
  QPixmap pixmap(width, height);
  pixmap.fill(kKeyColour);
  QPainter p(&pixmap);
  // No antialiasing on the outline: a blended edge pixel would be neither
  // the key colour nor the card's and would show as a fringe.
  const QRectF card(0, 0, width, height);
  QLinearGradient sea(card.topLeft(), card.bottomRight());
  sea.setColorAt(0, kSea);
  sea.setColorAt(1, kDeepSea);
  p.setPen(Qt::NoPen);
  p.setBrush(sea);
  p.drawRoundedRect(card, 28, 28);
  p.setRenderHint(QPainter::Antialiasing);
  p.drawPixmap(40, 60, ApplicationPicture(128));
  QFont title("DejaVu Sans");
  title.setPixelSize(34);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(190, 80, 320, 44), Qt::AlignLeft | Qt::AlignVCenter, "Brinehold");
  QFont subtitle("DejaVu Sans");
  subtitle.setPixelSize(16);
  p.setFont(subtitle);
  p.setPen(kFoam);
  p.drawText(QRectF(192, 126, 320, 24), Qt::AlignLeft | Qt::AlignVCenter, "SharePoint content database recovery");
  p.setPen(kBrass);
  p.drawText(QRectF(192, 152, 320, 24), Qt::AlignLeft | Qt::AlignVCenter, "by Vantrel");
  DrawWaves(p, QRectF(40, 232, 440, 24), QColor(255, 255, 255, 70), 7);
  return pixmap;
}

QPixmap AboutBanner(int width, int height) {
  QPixmap pixmap(width, height);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sea(0, 0, width, height);
  sea.setColorAt(0, kSea);
  sea.setColorAt(1, kDeepSea);
  p.fillRect(pixmap.rect(), sea);
  const int icon = height - 16;
  p.drawPixmap(12, 8, ApplicationPicture(icon));
  QFont title("DejaVu Sans");
  title.setPixelSize(height / 3);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(icon + 28, 0, width - icon - 36, height * 0.6), Qt::AlignLeft | Qt::AlignBottom, "Brinehold");
  QFont subtitle("DejaVu Sans");
  subtitle.setPixelSize(qMax(10, height / 7));
  p.setFont(subtitle);
  p.setPen(kFoam);
  p.drawText(QRectF(icon + 30, height * 0.6, width - icon - 36, height * 0.3), Qt::AlignLeft | Qt::AlignVCenter,
             "SharePoint content database recovery");
  DrawWaves(p, QRectF(width * 0.55, height * 0.12, width * 0.4, height * 0.14), QColor(255, 255, 255, 60), 4);
  return pixmap;
}

QPixmap CommandImage(CommandPicture picture, int size) {
  QPixmap pixmap = Transparent(size, size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  switch (picture) {
    case CommandPicture::Open:
      DrawFolder(p, QRectF(s * 0.06, s * 0.14, s * 0.7, s * 0.66), kBrass);
      DrawDrum(p, QRectF(s * 0.55, s * 0.42, s * 0.38, s * 0.5), kSea.lighter(130), kFoam);
      break;
    case CommandPicture::Stop: {
      QPolygonF octagon;
      for (int i = 0; i < 8; ++i) {
        const qreal a = (22.5 + 45 * i) * 3.14159265 / 180;
        octagon << QPointF(s / 2 + s * 0.44 * std::cos(a), s / 2 + s * 0.44 * std::sin(a));
      }
      p.setPen(QPen(QColor(120, 20, 20), qMax<qreal>(1.0, s / 16)));
      p.setBrush(QColor(200, 40, 40));
      p.drawPolygon(octagon);
      p.fillRect(QRectF(s * 0.25, s * 0.43, s * 0.5, s * 0.14), Qt::white);
      break;
    }
    case CommandPicture::Save:
      DrawDisk(p, QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8), kSea);
      break;
    case CommandPicture::SaveRecords:
      DrawGrid(p, QRectF(s * 0.08, s * 0.1, s * 0.62, s * 0.62));
      DrawDisk(p, QRectF(s * 0.5, s * 0.5, s * 0.44, s * 0.44), kSea);
      break;
    case CommandPicture::LoadSnapshot:
      DrawDrum(p, QRectF(s * 0.1, s * 0.36, s * 0.5, s * 0.58), kFoam, Qt::white);
      DrawArrow(p, QRectF(s * 0.5, s * 0.08, s * 0.45, s * 0.4), true, QColor(60, 160, 70));
      break;
    case CommandPicture::SaveSnapshot:
      DrawDrum(p, QRectF(s * 0.1, s * 0.36, s * 0.5, s * 0.58), kFoam, Qt::white);
      DrawDisk(p, QRectF(s * 0.55, s * 0.1, s * 0.38, s * 0.38), kBrass);
      break;
    case CommandPicture::Help:
      DrawBadge(p, QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84), kSea, "?");
      break;
    case CommandPicture::About:
      DrawBadge(p, QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84), kDeepSea, "i");
      break;
  }
  return pixmap;
}

QPixmap PagingArrow(bool pointsLeft) {
  QPixmap pixmap = Transparent(24, 24);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  DrawArrow(p, QRectF(2, 3, 20, 18), pointsLeft, QColor(46, 160, 67));
  return pixmap;
}

QPixmap TreeFolderImage() {
  QPixmap pixmap = Transparent(16, 16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  DrawFolder(p, QRectF(1, 2, 14, 12), kBrass);
  return pixmap;
}

QPixmap TreeObjectImage() {
  QPixmap pixmap = Transparent(16, 16);
  QPainter p(&pixmap);
  DrawGrid(p, QRectF(2.5, 3.5, 11, 9));
  return pixmap;
}

}  // namespace brinehold::ui
