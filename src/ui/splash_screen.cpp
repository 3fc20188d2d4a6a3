#include "ui/splash_screen.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

#include "ui/pictures.h"

namespace brinehold::ui {

CSplashScreenEx::CSplashScreenEx(const QPixmap& picture, QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      picture_(picture) {
  setObjectName("splash");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(picture_.size());
  setMask(picture_.createMaskFromColor(kKeyColour, Qt::MaskInColor));
}

void CSplashScreenEx::Start() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  setWindowOpacity(0.0);
  show();
  auto* fadeIn = new QPropertyAnimation(this, "windowOpacity", this);
  fadeIn->setDuration(kFadeInMs);
  fadeIn->setStartValue(0.0);
  fadeIn->setEndValue(1.0);
  fadeIn->start(QAbstractAnimation::DeleteWhenStopped);
  QTimer::singleShot(kDisplayMs, this, [this]() { FadeOut(); });
}

void CSplashScreenEx::FadeOut() {
  auto* fadeOut = new QPropertyAnimation(this, "windowOpacity", this);
  fadeOut->setDuration(kFadeOutMs);
  fadeOut->setStartValue(windowOpacity());
  fadeOut->setEndValue(0.0);
  connect(fadeOut, &QPropertyAnimation::finished, this, &QWidget::close);
  fadeOut->start(QAbstractAnimation::DeleteWhenStopped);
}

void CSplashScreenEx::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
}

}  // namespace brinehold::ui
