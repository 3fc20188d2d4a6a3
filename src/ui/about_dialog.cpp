#include "ui/about_dialog.h"

#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/pictures.h"
#include "ui/ui_texts.h"

namespace brinehold::ui {

namespace {

QPushButton* LinkButton(QWidget* parent, const QString& text, const char* target, const char* tip) {
  auto* button = new QPushButton(text, parent);
  button->setFlat(true);
  button->setCursor(Qt::PointingHandCursor);
  button->setToolTip(tip);
  button->setStyleSheet("QPushButton { color: #1c6e8c; text-decoration: underline; border: none; "
                        "text-align: left; padding: 2px 0; }");
  QObject::connect(button, &QPushButton::clicked, parent,
                   [target]() { QDesktopServices::openUrl(QUrl(QString::fromUtf8(target))); });
  return button;
}

}  // namespace

CVantrelAboutDlg::CVantrelAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("aboutBox");
  setWindowTitle(kApplicationTitle);
  const int width = 460;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 12);
  layout->setSpacing(6);

  auto* banner = new QLabel(this);
  banner->setPixmap(AboutBanner(width, 110));
  banner->setFixedSize(width, 110);
  layout->addWidget(banner);

  auto* body = new QVBoxLayout;
  body->setContentsMargins(20, 8, 20, 0);
  body->setSpacing(4);
  auto* name = new QLabel(kProductName, this);
  QFont nameFont("Arial");
  nameFont.setStyleHint(QFont::SansSerif);
  nameFont.setPixelSize(15);
  nameFont.setWeight(QFont::DemiBold);
  name->setFont(nameFont);
  body->addWidget(name);
  body->addWidget(new QLabel(kRightsNotice, this));
  body->addSpacing(6);
  body->addWidget(LinkButton(this, "www.vantrel.example", kMakerWebSite, kTipCompanyWebsite));
  body->addWidget(LinkButton(this, "support@vantrel.example", kSupportAddress, kTipSupportEmail));
  body->addWidget(LinkButton(this, "sales@vantrel.example", kSalesAddress, kTipSalesEmail));
  layout->addLayout(body);

  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  layout->addSpacing(4);
  layout->addWidget(rule);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(20, 0, 20, 0);
  buttons->addStretch();
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("ok");
  ok->setDefault(true);
  ok->setMinimumWidth(90);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  setFixedWidth(width);
}

}  // namespace brinehold::ui
