// The desktop application's own texts: titles, captions, tooltips and the
// messages of its boxes. Users and support read them word for word, so they
// live in one place and are used exactly as written here.
#pragma once

namespace brinehold::ui {

inline constexpr const char* kProductName = "Vantrel Brinehold";
inline constexpr const char* kMakerName = "Vantrel";
inline constexpr const char* kApplicationTitle = "Vantrel Brinehold 0.1";
inline constexpr const char* kMakerWebSite = "https://www.vantrel.example/";
inline constexpr const char* kUserManual = "https://www.vantrel.example/brinehold/manual.pdf";
inline constexpr const char* kSupportAddress = "mailto:support@vantrel.example";
inline constexpr const char* kSalesAddress = "mailto:sales@vantrel.example";

inline constexpr const char* kPaneObjects = "Sharepoint Database Objects";
inline constexpr const char* kPaneOutput = "Output";
inline constexpr const char* kCategoryName = "Brinehold";

inline constexpr const char* kCaptionSelectFile = "Select MDF database file to continue the recovery process.";

inline constexpr const char* kTextOleFailed =
    "OLE initialization failed.  Make sure that the OLE libraries are the correct version.";
inline constexpr const char* kTextAnotherInstance = "Another instance of application is already running";
inline constexpr const char* kTextStopToContinue = "Please stop the running process to continue the process.";
inline constexpr const char* kTextStopToClose = "Please stop the running process to close the application.";
inline constexpr const char* kTextAskClose = "Do you want to close the application?";
inline constexpr const char* kTextLogFilePath = "Log file path : ";
inline constexpr const char* kTextNoRecordsToSave = "There are no records in the list to save.";
inline constexpr const char* kTextRecordsSaved = "Records saved to ";
inline constexpr const char* kTextNothingScanned = "There is no scanned database to save.";
inline constexpr const char* kTextSavingDatabase = "Saving the recovered data..Please wait....";
inline constexpr const char* kTextSavedTo = "The recovered data was saved in ";
inline constexpr const char* kTextSavedWithProblems = "Some of the recovered data could not be saved; see summary.txt in ";
inline constexpr const char* kTextSaveStopped = "Saving stopped before the end: ";
inline constexpr const char* kTextRecordsNotSaved = "The records could not be written to ";

// The application button's list of recent files.
inline constexpr const char* kTextNoRecentFiles = "No recent files";
inline constexpr const char* kTextRecentFileMissing = "The file ";
inline constexpr const char* kTextRecentFileRemoved = " no longer exists. It was removed from the list of recent files.";

// Records panel.
inline constexpr const char* kTipPreviousRecords = "Previous Records";
inline constexpr const char* kTipNextRecords = "Next Records";
inline constexpr const char* kPageCaptionOnResize = "page";
inline constexpr const char* kTipDeletedRow = "Deleted row: ";
inline constexpr const char* kTipDamagedPage = "From a page that failed verification: ";

// The About box.
inline constexpr const char* kRightsNotice = "Copyright (C) 2026 Vantrel. All rights reserved.";
inline constexpr const char* kTipCompanyWebsite = "Company website";
inline constexpr const char* kTipSupportEmail = "Support email address";
inline constexpr const char* kTipSalesEmail = "Sales email address";

// The settings: organisation and application of QSettings, the style value.
inline constexpr const char* kSettingsOrganisation = "Vantrel";
inline constexpr const char* kSettingsApplication = "Brinehold";
inline constexpr const char* kSettingApplicationLook = "ApplicationLook";
inline constexpr int kDefaultApplicationLook = 215;

}  // namespace brinehold::ui
