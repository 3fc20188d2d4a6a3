#include "ui/open_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>

#include "ui/message_boxes.h"

namespace brinehold::ui {

QString DefaultLogFolder() {
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!desktop.isEmpty() && QFileInfo(desktop).isDir()) return desktop;
  return QDir::homePath();
}

CVantrelFileSettingDlg::CVantrelFileSettingDlg(ScanSettings& settings, const CollationTable& collations,
                                               QWidget* parent)
    : QDialog(parent), settings_(settings), collations_(collations) {
  setObjectName("openDialog");
  setWindowTitle(kDialogTitle);
  // Dialog units: a quarter of the font's average character width across,
  // an eighth of its height down.
  const QFontMetricsF metrics(font());
  unitX_ = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0 / 4.0;
  unitY_ = metrics.height() / 8.0;
  BuildControls();
  const QRect size = Units(0, 0, 375, 231);
  setFixedSize(size.width(), size.height());

  chooseDataFile = [this]() {
    return QFileDialog::getOpenFileName(this, QString(), "*.mdf", ".mdf Files (*.mdf)");
  };
  chooseLogFolder = [this]() {
    return QFileDialog::getExistingDirectory(this, kTextChooseLogFolder, logFolder_->text(),
                                             QFileDialog::ShowDirsOnly);
  };
}

QRect CVantrelFileSettingDlg::Units(int x, int y, int width, int height) const {
  return QRect(qRound(x * unitX_), qRound(y * unitY_), qRound(width * unitX_), qRound(height * unitY_));
}

void CVantrelFileSettingDlg::BuildControls() {
  auto place = [this](QWidget* widget, const char* name, QRect rect) {
    widget->setObjectName(name);
    widget->setGeometry(rect);
    return widget;
  };
  auto group = [&](const char* text, QRect rect) {
    auto* box = new QGroupBox(text, this);
    box->setGeometry(rect);
    box->lower();
    return box;
  };
  auto label = [&](const char* text, QRect rect) {
    auto* l = new QLabel(text, this);
    l->setGeometry(rect);
    return l;
  };

  group("Select Recovery option:", Units(5, 7, 365, 53));
  databaseRecovery_ = new QRadioButton("Completed Database Recovery", this);
  place(databaseRecovery_, "databaseRecovery", Units(14, 21, 115, 10));
  documentRecovery_ = new QRadioButton("Document Recovery", this);
  place(documentRecovery_, "documentRecovery", Units(201, 21, 81, 10));
  auto* options = new QButtonGroup(this);
  options->addButton(databaseRecovery_);
  options->addButton(documentRecovery_);
  description_ = new QLineEdit(this);
  place(description_, "optionDescription", Units(12, 40, 351, 14));
  description_->setReadOnly(true);
  description_->setFrame(false);
  description_->setFocusPolicy(Qt::NoFocus);
  description_->setStyleSheet("background: transparent;");

  group("", Units(5, 63, 363, 68));
  label("Select MDF File Path:", Units(11, 74, 74, 8));
  dataFile_ = new QLineEdit(this);
  place(dataFile_, "dataFilePath", Units(91, 70, 242, 15));
  dataFile_->setReadOnly(true);
  auto* browseFile = new QPushButton("...", this);
  place(browseFile, "browseDataFile", Units(337, 69, 25, 17));
  label("Select Recovery Mode:", Units(11, 93, 78, 8));
  recoveryMode_ = new QComboBox(this);
  place(recoveryMode_, "recoveryMode", Units(91, 91, 110, 13));
  sql2000_ = new QCheckBox("Is SQL 2000", this);
  place(sql2000_, "isSql2000", Units(207, 92, 60, 10));
  showDeleted_ = new QCheckBox("Show deleted records", this);
  place(showDeleted_, "showDeleted", Units(92, 112, 92, 10));
  showAdvancedDeleted_ = new QCheckBox("Show Advanced Deleted records", this);
  place(showAdvancedDeleted_, "showAdvancedDeleted", Units(188, 112, 130, 10));

  group("Collation Option:", Units(5, 134, 363, 34));
  autoCollation_ = new QRadioButton("Auto detect", this);
  place(autoCollation_, "autoCollation", Units(12, 148, 58, 10));
  manualCollation_ = new QRadioButton("Manual", this);
  place(manualCollation_, "manualCollation", Units(92, 148, 44, 10));
  auto* collationGroup = new QButtonGroup(this);
  collationGroup->addButton(autoCollation_);
  collationGroup->addButton(manualCollation_);
  collationList_ = new QComboBox(this);
  place(collationList_, "collationList", Units(144, 147, 150, 13));

  group("", Units(5, 175, 363, 31));
  label("Select Log file path:", Units(12, 173, 70, 8))->setAutoFillBackground(true);
  logFolder_ = new QLineEdit(this);
  place(logFolder_, "logFolder", Units(12, 187, 320, 14));
  logFolder_->setReadOnly(true);
  auto* browseLog = new QPushButton("...", this);
  place(browseLog, "browseLogFolder", Units(337, 184, 25, 17));

  auto* ok = new QPushButton("OK", this);
  place(ok, "ok", Units(135, 211, 55, 16));
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  place(cancel, "cancel", Units(195, 211, 55, 16));

  // Opening: the mode list, the collation option, the recovery option, the
  // collation list, the log folder.
  recoveryMode_->addItems({"Standard Mode", "Advanced Mode"});
  recoveryMode_->setCurrentIndex(0);
  SetCollationAuto(true);
  SetRecoveryOption(false);
  QList<QPair<QString, qint64>> names;
  for (const auto& [id, entry] : collations_) names.append({QString::fromStdString(entry.name), id});
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [name, id] : names) collationList_->addItem(name, QVariant::fromValue<qint64>(id));
  if (collationList_->count() > 0) collationList_->setCurrentIndex(0);
  logFolder_->setText(DefaultLogFolder());

  connect(databaseRecovery_, &QRadioButton::clicked, this, [this]() { SetRecoveryOption(false); });
  connect(documentRecovery_, &QRadioButton::clicked, this, [this]() { SetRecoveryOption(true); });
  connect(autoCollation_, &QRadioButton::clicked, this, [this]() { SetCollationAuto(true); });
  connect(manualCollation_, &QRadioButton::clicked, this, [this]() { SetCollationAuto(false); });
  // Connected after the list was filled: selecting "Manual" alone keeps the
  // manual collation chosen before.
  connect(collationList_, &QComboBox::activated, this, [this](int index) {
    settings_.manualCollation = collationList_->itemData(index).toLongLong();
  });
  connect(browseFile, &QPushButton::clicked, this, [this]() { BrowseDataFile(); });
  connect(browseLog, &QPushButton::clicked, this, [this]() { BrowseLogFolder(); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CVantrelFileSettingDlg::SetCollationAuto(bool automatic) {
  autoCollation_->setChecked(automatic);
  manualCollation_->setChecked(!automatic);
  collationList_->setEnabled(!automatic);
  settings_.collationAuto = automatic;
}

void CVantrelFileSettingDlg::SetRecoveryOption(bool documents) {
  databaseRecovery_->setChecked(!documents);
  documentRecovery_->setChecked(documents);
  description_->setText(documents ? kDescribeDocumentRecovery : kDescribeDatabaseRecovery);
  description_->setCursorPosition(0);
}

void CVantrelFileSettingDlg::BrowseDataFile() {
  const QString path = chooseDataFile ? chooseDataFile() : QString();
  if (path.isEmpty()) return;
  if (!QFileInfo(path).isFile()) {
    ShowInformation(this, kTextInvalidMdf);
    return;
  }
  dataFile_->setText(path);
}

void CVantrelFileSettingDlg::SetDataFile(const QString& path) { dataFile_->setText(path); }

void CVantrelFileSettingDlg::BrowseLogFolder() {
  const QString path = (chooseLogFolder ? chooseLogFolder() : QString()).trimmed();
  if (!path.isEmpty() && QFileInfo(path).isDir()) logFolder_->setText(path);
}

void CVantrelFileSettingDlg::accept() {
  const QString path = dataFile_->text();
  if (!path.toUpper().contains(".MDF") || !QFileInfo(path).isFile()) {
    ShowInformation(this, kTextInvalidSqlPath);
    return;
  }
  QString folder = logFolder_->text();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    ShowInformation(this, kTextInvalidLogPath);
    return;
  }
  if (!folder.endsWith('/')) folder += '/';
  settings_.logFolder = folder.toStdString();
  settings_.mdfPath = path.toStdString();
  if (recoveryMode_->currentIndex() == 0) settings_.recoveryMode = static_cast<int32_t>(RecoveryMode::Standard);
  if (recoveryMode_->currentIndex() == 1) settings_.recoveryMode = static_cast<int32_t>(RecoveryMode::Advanced);
  settings_.legacyCatalog = sql2000_->isChecked();
  settings_.showDeleted = showDeleted_->isChecked();
  settings_.showAdvancedDeleted = showAdvancedDeleted_->isChecked();
  if (documentRecovery_->isChecked()) settings_.scanType = ScanType::DocumentRecovery;
  if (databaseRecovery_->isChecked()) settings_.scanType = ScanType::DatabaseRecovery;
  QDialog::accept();
}

}  // namespace brinehold::ui
