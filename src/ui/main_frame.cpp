#include "ui/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTableView>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <utility>

#include "platform/output_file.h"
#include "scan/database_export.h"
#include "scan/document_export.h"
#include "session/app_state.h"
#include "values/selection_text.h"
#include "ui/about_dialog.h"
#include "ui/command_bar.h"
#include "ui/message_boxes.h"
#include "ui/open_dialog.h"
#include "ui/panes.h"
#include "ui/pictures.h"
#include "ui/records_model.h"
#include "ui/ui_texts.h"

namespace brinehold::ui {

namespace {

int ClampToInt(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

bool IsRunning() { return TheApp().isRunning == 1; }

bool DatabaseRecoveryScan() { return TheApp().settings.scanType == ScanType::DatabaseRecovery; }

// A dialog filter written as "Description (*.EXT)|pattern||" in Qt's form.
QString DialogFilter(const char* filter) { return QString(filter).section('|', 0, 0); }

QString WithSnapshotExtension(QString path) {
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += ".MDBVTL";
  return path;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent),
      log_(TheRecoveryLog()),
      port_(*this),
      listing_(port_),
      driver_(port_, log_),
      browse_(driver_, port_, log_, listing_),
      hierarchy_(port_),
      stages_(driver_, port_, listing_, hierarchy_),
      folders_(driver_, port_, log_, hierarchy_),
      snapshots_(driver_, log_) {
  setObjectName("mainFrame");
  setWindowTitle(kApplicationTitle);
  setWindowIcon(ApplicationIcon());
  BuildCommandBar();
  view_ = new CHalvardView(this);
  Panel()->leavesPagingStrip = []() { return DatabaseRecoveryScan(); };
  Panel()->onPrevious = [this]() { port_.SendMessage({UM_PREV_PAGE, 0, 0, {}}); };
  Panel()->onNext = [this]() { port_.SendMessage({UM_NEXT_PAGE, 0, 0, {}}); };
  setCentralWidget(view_);
  BuildStatusBar();
  BuildPanes();
  WireScan();
  WireLog();

  SetCaptionText(kCaptionSelectFile);
  ShowProgress(false);

  pollTimer_ = new QTimer(this);
  connect(pollTimer_, &QTimer::timeout, this, [this]() { PollRunningState(); });
  pollTimer_->start(100);
  PollRunningState();
}

CMainFrame::~CMainFrame() {
  // A stopped worker may still be sending; serve it until it has ended.
  WaitForStoppedWorker();
  driver_.WaitForWorker();
  log_.onRow = nullptr;
}

CVantrelStatic* CMainFrame::Panel() const { return view_->Panel(); }
CXHtmlTree* CMainFrame::ObjectTree() const { return fileView_->ObjectTree(); }
CXHtmlTree* CMainFrame::DocumentTree() const { return fileView_->DocumentTree(); }
QListWidget* CMainFrame::LogList() const { return outputWnd_->LogList(); }

void CMainFrame::BuildCommandBar() {
  commands_ = new CommandBar(this);
  const std::pair<CommandId, void (CMainFrame::*)()> actions[] = {
      {ID_OPEN, &CMainFrame::OnOpen},           {ID_STOP, &CMainFrame::OnStop},
      {ID_SAVE, &CMainFrame::OnSave},           {ID_SAVE_RECORDS, &CMainFrame::OnSaveRecords},
      {ID_LOAD_SNAPSHOT, &CMainFrame::OnLoadSnapshot}, {ID_SAVE_SNAPSHOT, &CMainFrame::OnSaveSnapshot},
      {ID_HELP, &CMainFrame::OnHelp},           {ID_ABOUT, &CMainFrame::OnAbout},
  };
  for (const auto& [id, action] : actions)
    connect(commands_->Button(id), &QToolButton::clicked, this, [this, action = action]() { (this->*action)(); });
  applicationMenu_ = new QMenu(this);
  applicationMenu_->setObjectName("applicationMenu");
  connect(applicationMenu_, &QMenu::aboutToShow, this, [this]() { FillApplicationMenu(); });
  commands_->ApplicationButton()->setMenu(applicationMenu_);
  FillApplicationMenu();

  captionBar_ = new QLabel(this);
  captionBar_->setObjectName("captionBar");
  captionBar_->setContentsMargins(10, 4, 10, 4);
  captionBar_->setStyleSheet("QLabel#captionBar { background: #fdf6e3; color: #3b3b3b; "
                             "border-top: 1px solid #d8d0b8; border-bottom: 1px solid #d8d0b8; }");
  auto* top = new QWidget(this);
  auto* column = new QVBoxLayout(top);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(commands_);
  column->addWidget(captionBar_);
  setMenuWidget(top);
}

void CMainFrame::FillApplicationMenu() {
  applicationMenu_->clear();
  QAction* open = applicationMenu_->addAction(QIcon(CommandImage(CommandPicture::Open, 32)), "&Open...");
  open->setToolTip("Open Database file");
  connect(open, &QAction::triggered, this, [this]() { OnOpen(); });
  applicationMenu_->addSeparator();
  const QStringList& paths = recent_.Paths();
  if (paths.isEmpty()) applicationMenu_->addAction(kTextNoRecentFiles)->setEnabled(false);
  const QFontMetrics metrics(applicationMenu_->font());
  for (int i = 0; i < paths.size(); ++i) {
    const QString shown = metrics.elidedText(QDir::toNativeSeparators(paths[i]), Qt::ElideMiddle, 420);
    QAction* recent = applicationMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(QString(shown).replace('&', "&&")));
    recent->setToolTip(paths[i]);
    connect(recent, &QAction::triggered, this, [this, path = paths[i]]() { OnOpenRecent(path); });
  }
  applicationMenu_->addSeparator();
  connect(applicationMenu_->addAction("E&xit"), &QAction::triggered, this, [this]() { close(); });
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("statusBar");
  bar->setSizeGripEnabled(true);
  statusLink_ = new QLabel(QString("<a href=\"%1\">%2 &mdash; %3</a>").arg(kMakerWebSite, kMakerName, kProductName), bar);
  statusLink_->setObjectName("statusLink");
  statusLink_->setOpenExternalLinks(true);
  statusLink_->setContentsMargins(6, 0, 6, 0);
  bar->addWidget(statusLink_);
  titlePane_ = new QLabel(kApplicationTitle, bar);
  titlePane_->setObjectName("titlePane");
  titlePane_->setContentsMargins(6, 0, 6, 0);
  bar->addPermanentWidget(titlePane_);
  // The progress bar lies over the status bar at a fixed place, re-placed
  // whenever the bar changes size.
  progress_ = new QProgressBar(bar);
  progress_->setObjectName("progressBar");
  progress_->setTextVisible(false);
  progress_->setRange(0, 100);
  bar->installEventFilter(this);
  bar->setMinimumHeight(24);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar() && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
    progress_->setGeometry(250, 3, std::max(0, statusBar()->width() - 560), 17);
  return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::BuildPanes() {
  setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
  fileView_ = new CFileView(this);
  outputWnd_ = new COutputWnd(this);
  addDockWidget(Qt::LeftDockWidgetArea, fileView_);
  addDockWidget(Qt::BottomDockWidgetArea, outputWnd_);
  resizeDocks({fileView_}, {300}, Qt::Horizontal);
  resizeDocks({outputWnd_}, {140}, Qt::Vertical);
  DocumentTree()->hide();
  for (CXHtmlTree* tree : {ObjectTree(), DocumentTree()})
    tree->onLabelClicked = [this, tree](const QModelIndex& item) { OnTreeLabelClicked(*tree, item); };
}

void CMainFrame::WireScan() {
  driver_.hooks.messageBox = [this](const std::string& text) { port_.Run([&]() { ShowInformation(this, text); }); };
  driver_.hooks.askYesNo = [this](const std::string& question) { return AskYesNo(this, question); };
  driver_.hooks.setCaption = [this](const std::string& text) { port_.SetCaptionBar(text); };
  driver_.hooks.showProgress = [this](bool visible) { port_.ShowProgressBar(visible); };
  driver_.hooks.emptyObjectTree = [this]() { port_.Run([this]() { ObjectTree()->Initialise(); }); };
  driver_.obtainSettings = [this](ScanSettings& settings) {
    CVantrelFileSettingDlg dialog(settings, TheApp().collations, this);
    if (!proposedDataFile_.isEmpty()) dialog.SetDataFile(std::exchange(proposedDataFile_, QString()));
    return dialog.exec() == QDialog::Accepted;
  };
  // The SharePoint stages build both trees; the panel re-places its
  // controls after they were shown or hidden.
  stages_.Install();
  driver_.stages.prepareLayout = [this]() {
    stages_.PrepareLayout();
    port_.Run([this]() { Panel()->Relayout(); });
  };
  folders_.messageBox = [this](const std::string& text) { ShowInformation(this, text); };
  browse_.messageBox = [this](const std::string& text) { ShowInformation(this, text); };
  browse_.reselectPreviousItem = [this]() { port_.Run([this]() { ObjectTree()->ReselectPrevious(); }); };
  browse_.showDefinition = [this](CDatabaseCatalog& catalog, const std::string&) { ShowDefinition(catalog); };
}

void CMainFrame::WireLog() {
  log_.ClearList();
  // Rows may come from the worker while it holds the log's lock: they are
  // never waited for, and take their place among the worker's other
  // changes (a progress text replaces the last row).
  log_.onRow = [this](const std::string& text, bool) {
    port_.Post([list = LogList(), row = QString::fromStdString(text)]() {
      list->addItem(row);
      list->scrollToBottom();
    });
  };
  log_.onWriteFailure = [this](const std::string& text) {
    QMetaObject::invokeMethod(this, [this, text]() { ShowInformation(this, text); }, Qt::QueuedConnection);
  };
  log_.AppendLogList(kTextApplicationStarts);
  TheApp().nextLogRow = 1;
  log_.Close();
}

void CMainFrame::PollRunningState() {
  commands_->Button(ID_STOP)->setEnabled(IsRunning());
  if (!driver_.WorkerActive()) port_.FlushPendingRows();
}

void CMainFrame::WaitForStoppedWorker() {
  while (driver_.WorkerActive()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  port_.FlushPendingRows();
}

int64_t CMainFrame::HandleMessage(const WindowMessage& message) {
  switch (message.id) {
    case UM_PROGRESS_RESET:
      progress_->setValue(progress_->minimum());
      progress_->setRange(ClampToInt(message.wParam), ClampToInt(std::max(message.wParam, message.lParam)));
      progress_->setValue(progress_->minimum());
      break;
    case UM_STATUS_TEXT:
      Panel()->StatusLine()->setPlainText(QString::fromStdString(message.text));
      break;
    case UM_SCAN_FAILED:
      progress_->setValue(progress_->minimum());
      Panel()->StatusLine()->clear();
      driver_.OnScanFailed();
      ShowError(this, message.text);
      break;
    case UM_TABLE_SELECTED:
      OnTableSelected(message);
      break;
    case UM_FOLDER_SELECTED:
      OnFolderSelected(message);
      break;
    case UM_PROGRESS_POS:
      progress_->setValue(std::clamp(ClampToInt(message.wParam), progress_->minimum(), progress_->maximum()));
      break;
    case UM_LOG_LINE:
      log_.AppendLogLine(message.text);
      if (message.text == kTextScanCompletedLine) ShowTablesOfFinishedScan();
      break;
    case UM_PREV_PAGE:
    case UM_NEXT_PAGE:
      OnPagingMessage(message.id == UM_NEXT_PAGE);
      break;
    default:
      break;
  }
  return 0;
}

void CMainFrame::ShowTablesOfFinishedScan() {
  // The tree opens at the user tables, where most recoveries start.
  const CObjectTree::Nodes& nodes = driver_.objectTree.tree.nodes();
  for (TreeItem node : {nodes.root, nodes.tables, nodes.userTables})
    if (const QModelIndex item = ObjectTree()->Find(node); item.isValid()) ObjectTree()->expand(item);
}

void CMainFrame::SetCaptionText(const std::string& text) { captionBar_->setText(QString::fromStdString(text)); }

void CMainFrame::ShowProgress(bool visible) {
  progress_->setVisible(visible);
  if (visible) progress_->setGeometry(250, 3, std::max(0, statusBar()->width() - 560), 17);
}

void CMainFrame::ReplaceLastLogRow(const QString& text) {
  QListWidget* list = LogList();
  if (list->count() > 0) list->item(list->count() - 1)->setText(text);
}

void CMainFrame::LayoutForScanType() {
  CVantrelStatic* panel = Panel();
  const bool documents = !DatabaseRecoveryScan();
  panel->RecordsList()->setVisible(documents);
  panel->PageCaption()->hide();
  panel->PreviousButton()->hide();
  panel->NextButton()->hide();
  panel->StatusLine()->setVisible(!documents);
  if (documents) DocumentTree()->Initialise();
  fileView_->ShowDocumentTree(documents);
  panel->Relayout();
}

void CMainFrame::ClearBrowseView() {
  ObjectTree()->Initialise();
  CVantrelStatic* panel = Panel();
  panel->StatusLine()->clear();
  panel->PageCaption()->clear();
  panel->Model().DeleteAllRows();
  panel->PreviousButton()->setEnabled(false);
  panel->NextButton()->setEnabled(false);
}

void CMainFrame::ResetBrowseView() {
  port_.FlushPendingRows();
  RecordsModel& model = Panel()->Model();
  model.DeleteAllRows();
  while (model.columnCount() > 0) model.DeleteColumn(0);
  Panel()->StatusLine()->clear();
  ObjectTree()->Initialise();
  DocumentTree()->Initialise();
}

void CMainFrame::OnTreeLabelClicked(const CXHtmlTree& tree, const QModelIndex& item) {
  // The message depends on the scan type, not on the tree clicked.
  const uint32_t id = DatabaseRecoveryScan() ? UM_TABLE_SELECTED : UM_FOLDER_SELECTED;
  port_.SendMessage({id, 0, static_cast<int64_t>(tree.HandleOf(item)), tree.TextOf(item)});
}

void CMainFrame::OnTableSelected(const WindowMessage& message) {
  const auto item = static_cast<TreeItem>(message.lParam);
  if (!IsRunning()) {
    WaitForStoppedWorker();
    selectedItem_ = item;
  }
  browse_.OnObjectItemSelected(item);
}

void CMainFrame::ShowDefinition(CDatabaseCatalog& catalog) {
  const std::string text =
      SelectionText(catalog, driver_.objectTree.tree, driver_.objectTree.definitions, selectedItem_).value_or("");
  port_.ShowRecordsList(false);
  port_.ShowPageCaption(false);
  port_.ShowPagingButton(WindowPort::PagingButton::Previous, false);
  port_.ShowPagingButton(WindowPort::PagingButton::Next, false);
  port_.ShowStatusLine(true);
  port_.SetStatusLine(text);
}

void CMainFrame::OnFolderSelected(const WindowMessage& message) {
  if (!IsRunning()) WaitForStoppedWorker();
  if (!folders_.OnFolderSelected(message.text, static_cast<TreeItem>(message.lParam)) && IsRunning())
    DocumentTree()->ReselectPrevious();
}

void CMainFrame::OnPagingMessage(bool next) {
  if (!IsRunning()) WaitForStoppedWorker();
  if (next) {
    browse_.OnNextPage();
  } else {
    browse_.OnPreviousPage();
  }
}

bool CMainFrame::RefuseWhileRunning(const char* text) {
  if (!IsRunning()) return false;
  ShowInformation(this, text);
  return true;
}

void CMainFrame::OnOpen() {
  if (!IsRunning()) WaitForStoppedWorker();
  const bool started = driver_.StartScan();
  proposedDataFile_.clear();
  if (started) recent_.Add(QString::fromStdString(TheApp().settings.mdfPath));
}

void CMainFrame::OnOpenRecent(const QString& path) {
  if (RefuseWhileRunning(kTextWaitForRunning)) return;
  if (!QFileInfo(path).isFile()) {
    recent_.Remove(path);
    ShowInformation(this, kTextRecentFileMissing + path.toStdString() + kTextRecentFileRemoved);
    return;
  }
  proposedDataFile_ = path;
  OnOpen();
}

bool CMainFrame::StartScanOf(const QString& path, const QString& logFolder, ScanType type) {
  if (!IsRunning()) WaitForStoppedWorker();
  auto dialog = std::move(driver_.obtainSettings);
  driver_.obtainSettings = [&](ScanSettings& settings) {
    settings.mdfPath = path.toStdString();
    settings.logFolder = logFolder.endsWith('/') ? logFolder.toStdString() : (logFolder + '/').toStdString();
    settings.scanType = type;
    settings.recoveryMode = static_cast<int32_t>(RecoveryMode::Standard);
    return true;
  };
  const bool started = driver_.StartScan();
  driver_.obtainSettings = std::move(dialog);
  if (started) recent_.Add(path);
  return started;
}

void CMainFrame::OnStop() { driver_.RequestStop(); }

void CMainFrame::OnSave() {
  if (RefuseWhileRunning(kTextWaitForRunning)) return;
  if (!driver_.Session().catalog) {
    ShowInformation(this, kTextNothingScanned);
    return;
  }
  const QString folder = chooseExportFolder ? chooseExportFolder()
                                            : QFileDialog::getExistingDirectory(this, "Save", DefaultLogFolder());
  if (folder.isEmpty()) return;
  ExportSettings settings;
  settings.folder = folder.toStdString();
  settings.overwrite = true;  // the user chose the folder knowing what it holds
  const bool documents = !DatabaseRecoveryScan();
  StartSaving([this, settings, documents](CDatabaseCatalog& catalog) {
    const ExportReport report =
        documents ? ExportDocuments(catalog, settings, port_) : ExportTables(catalog, settings, port_);
    if (report.stopped) return kTextSaveStopped + (report.stopReason.empty() ? settings.folder : report.stopReason);
    if (!report.Complete()) return kTextSavedWithProblems + settings.folder;
    return kTextSavedTo + settings.folder;
  });
}

void CMainFrame::OnSaveRecords() {
  if (RefuseWhileRunning(kTextWaitForRunning)) return;
  CDatabaseCatalog* catalog = driver_.Session().catalog.get();
  if (!catalog || Panel()->Model().columnCount() == 0 || !DatabaseRecoveryScan()) {
    ShowInformation(this, kTextNoRecordsToSave);
    return;
  }
  const QString path = chooseCsvPath ? chooseCsvPath()
                                     : QFileDialog::getSaveFileName(this, "Save Records", DefaultLogFolder() + "/records.csv",
                                                                    "CSV Files (*.csv)");
  if (path.isEmpty()) return;
  std::string error;
  // The dialog asked before an existing file is replaced.
  std::shared_ptr<OutputFile> file = OutputFile::Create(path.toStdString(), true, error);
  if (!file) {
    ShowInformation(this, kTextRecordsNotSaved + error);
    return;
  }
  StartSaving([file, target = path.toStdString()](CDatabaseCatalog& catalog) {
    // Every row of the table, not only the page shown.
    const int64_t rows = WriteRecordsCsv(catalog, *file, "");
    if (rows < 0 || !file->Commit()) return kTextRecordsNotSaved + file->error();
    if (TheApp().stopRequested) return std::string(kTextSaveStopped) + target;
    return kTextRecordsSaved + target;
  });
}

void CMainFrame::StartSaving(std::function<std::string(CDatabaseCatalog& catalog)> work) {
  WaitForStoppedWorker();
  TheApp().isRunning = 1;
  TheApp().stopRequested = false;
  log_.AppendLogLine(kTextSavingDatabase);
  port_.ShowProgressBar(true);
  port_.SetProgressPosition(0);
  driver_.StartWorker([this, work = std::move(work)]() {
    std::string text = kTextNothingScanned;
    if (CDatabaseCatalog* catalog = driver_.Session().catalog.get()) text = work(*catalog);
    port_.ShowProgressBar(false);
    port_.LogLine(text);
    TheApp().isRunning = 0;
    port_.Run([this, &text]() { ShowInformation(this, text); });
  });
}

void CMainFrame::OnLoadSnapshot() {
  if (RefuseWhileRunning(kTextWaitForRunning)) return;
  const QString path = chooseSnapshotToLoad ? chooseSnapshotToLoad()
                                            : QFileDialog::getOpenFileName(this, "Load SnapShot", DefaultLogFolder(),
                                                                           DialogFilter(kSnapshotFileFilter));
  if (path.isEmpty()) return;
  WaitForStoppedWorker();
  // The data file may have moved or changed since the snapshot was saved:
  // the user points at it, as --mdf does on the command line.
  snapshots_.LoadLocatingDataFile(path.toStdString(), [this](const std::string& reason) {
    const QString chosen = chooseSnapshotDataFile
                               ? chooseSnapshotDataFile(QString::fromStdString(reason))
                               : QFileDialog::getOpenFileName(this, "Where is the data file of this snapshot?",
                                                              DefaultLogFolder(), ".mdf Files (*.mdf)");
    return chosen.toStdString();
  });
}

void CMainFrame::OnSaveSnapshot() {
  if (RefuseWhileRunning(kTextWaitForRunning)) return;
  QString path = chooseSnapshotToSave ? chooseSnapshotToSave()
                                      : QFileDialog::getSaveFileName(this, "Save SnapShot", DefaultLogFolder(),
                                                                     DialogFilter(kSnapshotFileFilter));
  path = WithSnapshotExtension(path);
  if (path.isEmpty()) return;
  WaitForStoppedWorker();
  snapshots_.Save(path.toStdString());
}

void CMainFrame::OnHelp() {
  if (RefuseWhileRunning(kTextStopToContinue)) return;
  QDesktopServices::openUrl(QUrl(kUserManual));
}

void CMainFrame::OnAbout() {
  if (RefuseWhileRunning(kTextStopToContinue)) return;
  CVantrelAboutDlg about(this);
  about.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (IsRunning()) {
    ShowInformation(this, kTextStopToClose);
    event->ignore();
    return;
  }
  if (!AskQuestion(this, kTextAskClose)) {
    event->ignore();
    return;
  }
  WaitForStoppedWorker();
  driver_.WaitForWorker();
  driver_.ResetSession();
  // Every line was written as it came; closing flushes the file.
  log_.Close();
  const std::string& logPath = TheApp().settings.logFilePath;
  if (!logPath.empty() && QFileInfo::exists(QString::fromStdString(logPath)))
    ShowInformation(this, kTextLogFilePath + logPath);
  event->accept();
}

}  // namespace brinehold::ui
