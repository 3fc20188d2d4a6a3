// CVantrelFileSettingDlg: "Select Corrupted MDF file", the modal dialog the
// Open command shows before a scan.
//
// Collects every choice a scan needs: recovery option (whole database or
// documents) with its description, the data file (chosen with the browse
// button only), recovery mode, "Is SQL 2000", the two deleted-record
// options, the collation (auto or a manual entry of the collation table)
// and the log folder (the user's desktop, or the home folder when there is
// none). OK checks the file and the folder, with a message box for each
// refusal, and writes the settings; Cancel writes nothing, except that the
// collation choices are written as they change and stay in effect.
//
// Controls are placed in dialog units scaled by the dialog font, keeping
// the arrangement users know from the documentation.
#pragma once

#include <QDialog>
#include <functional>

#include "session/app_state.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace brinehold::ui {

inline constexpr const char* kDialogTitle = "Select Corrupted MDF file";
inline constexpr const char* kDescribeDatabaseRecovery =
    "Select this option to recover complete Sharepoint server database.";
inline constexpr const char* kDescribeDocumentRecovery =
    "Select this option to recover complete document from Sharepoint server database.";
inline constexpr const char* kTextInvalidMdf = "Please select valid mdf file.";
inline constexpr const char* kTextInvalidSqlPath =
    "Please select valid SQL file path to continue the recovery process.";
inline constexpr const char* kTextInvalidLogPath =
    "Please select valid Log file path to continue the recovery process.";
inline constexpr const char* kTextChooseLogFolder = "Select location to save Log file(s).";

// The folder proposed for log files: the desktop when it exists, else home.
QString DefaultLogFolder();

class CVantrelFileSettingDlg : public QDialog {
 public:
  CVantrelFileSettingDlg(ScanSettings& settings, const CollationTable& collations, QWidget* parent = nullptr);

  // What the browse buttons ask; tests replace them. Empty text: cancelled.
  std::function<QString()> chooseDataFile;
  std::function<QString()> chooseLogFolder;

  // Starts with `path` chosen as the data file (a recent file).
  void SetDataFile(const QString& path);

  void accept() override;

 private:
  void BuildControls();
  void BrowseDataFile();
  void BrowseLogFolder();
  void SetCollationAuto(bool automatic);
  void SetRecoveryOption(bool documents);
  QRect Units(int x, int y, int width, int height) const;

  ScanSettings& settings_;
  const CollationTable& collations_;
  double unitX_ = 1.5;
  double unitY_ = 1.625;
  QRadioButton* databaseRecovery_ = nullptr;
  QRadioButton* documentRecovery_ = nullptr;
  QLineEdit* description_ = nullptr;
  QLineEdit* dataFile_ = nullptr;
  QComboBox* recoveryMode_ = nullptr;
  QCheckBox* sql2000_ = nullptr;
  QCheckBox* showDeleted_ = nullptr;
  QCheckBox* showAdvancedDeleted_ = nullptr;
  QRadioButton* autoCollation_ = nullptr;
  QRadioButton* manualCollation_ = nullptr;
  QComboBox* collationList_ = nullptr;
  QLineEdit* logFolder_ = nullptr;
};

}  // namespace brinehold::ui
