// brinehold sites FILE [--advanced] [--sql2000]
// brinehold folders FILE [--advanced] [--sql2000]
// brinehold docs FILE PATH [--advanced] [--sql2000]
//
// A document-recovery scan, quiet, then the "SharePointACTUAL" tree
// (sites), the "SharePointData" tree (folders), or the document view of one
// node (docs), named by the texts of its nodes from the root joined with
// '/'. The scan's log file goes to a temporary folder removed afterwards.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "scan/completion_stages.h"
#include "scan/folder_browse_command.h"
#include "scan/recovery_log.h"
#include "scan/scan_driver.h"
#include "session/app_state.h"
#include "session/collation_table.h"
#include "session/headless_window.h"
#include "sharepoint/sharepoint_hierarchy.h"

namespace brinehold::cli {

namespace {


// A folder of its own for the scan's log file, removed with this object.
class TemporaryLogFolder {
 public:
  TemporaryLogFolder() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "brinehold-log-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TemporaryLogFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The window, the log and the scan with its stages: what the desktop
// application's main window holds for document recovery.
struct DocumentSession {
  HeadlessWindow window;
  CRecoveryLog log;
  CScanDriver driver{window, log};
  RecordListing listing{window};
  SharePointHierarchy hierarchy{window};
  CompletionStages stages{driver, window, listing, hierarchy};
  FolderBrowseCommand folders{driver, window, log, hierarchy};
  std::vector<std::string> messages;
};

// Runs the scan; true when it completed.
bool ScanForDocuments(DocumentSession& session, const ParsedArgs& parsed, const std::string& logFolder) {
  ScanSettings chosen = TheApp().settings;
  chosen.mdfPath = parsed.positional[0];
  chosen.scanType = ScanType::DocumentRecovery;
  chosen.recoveryMode = static_cast<int32_t>(parsed.Has("advanced") ? RecoveryMode::Advanced : RecoveryMode::Standard);
  chosen.legacyCatalog = parsed.Has("sql2000");
  chosen.logFolder = logFolder;
  InstallStopHandler();
  LoadCollationTableBesideProgram();

  session.window.logSink = [&session](const std::string& text) { session.log.AppendLogLine(text); };
  session.window.onScanFailed = [&session](const std::string& text) {
    session.messages.push_back(text);
    session.driver.OnScanFailed();
  };
  session.driver.obtainSettings = [&chosen](ScanSettings& settings) {
    settings = chosen;
    return true;
  };
  auto keep = [&session](const std::string& text) { session.messages.push_back(text); };
  session.driver.hooks.messageBox = keep;
  session.folders.messageBox = keep;
  session.stages.Install();
  if (!session.driver.StartScan()) return false;
  session.driver.WaitForWorker();
  session.log.Close();
  if (session.driver.LastOutcome() == ScanOutcome::Completed) return true;
  for (const std::string& text : session.messages) std::fprintf(stderr, "%s\n", text.c_str());
  if (session.driver.LastOutcome() == ScanOutcome::NoObjects) std::fprintf(stderr, "%s\n", kTextNoObjects);
  return false;
}

// The top-level node with `text`, 0 when there is none.
TreeItem TopLevelNode(WindowPort& window, const std::string& text) {
  for (const WindowPort::TreeChild& child : window.TreeChildren(TreeId::Document, 0))
    if (window.TreeItemText(TreeId::Document, child.item) == text) return child.item;
  return 0;
}

void PrintSubtree(WindowPort& window, TreeItem item, int depth) {
  std::printf("%s%s\n", std::string(static_cast<size_t>(2 * depth), ' ').c_str(),
              EscapeCell(window.TreeItemText(TreeId::Document, item)).c_str());
  for (const WindowPort::TreeChild& child : window.TreeChildren(TreeId::Document, item))
    PrintSubtree(window, child.item, depth + 1);
}

// The node named by `path` (texts from the top level down, joined with
// '/'); the first node of a text where several share it.
TreeItem NodeOfPath(WindowPort& window, const std::string& path) {
  TreeItem current = 0;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string part = path.substr(start, slash - start);
    TreeItem found = 0;
    for (const WindowPort::TreeChild& child : window.TreeChildren(TreeId::Document, current)) {
      if (window.TreeItemText(TreeId::Document, child.item) != part) continue;
      found = child.item;
      break;
    }
    if (!found) return 0;
    current = found;
    start = slash + 1;
  }
  return current;
}

int Usage(const char* command, const std::string& problem, const char* synopsis) {
  std::fprintf(stderr, "brinehold %s: %s\nusage: brinehold %s\n", command, problem.c_str(), synopsis);
  return 2;
}

int RunTreeCommand(const char* command, const char* rootText, const std::vector<std::string>& args) {
  const char* synopsis = "sites|folders FILE [--advanced] [--sql2000]";
  ParsedArgs parsed = ParseArgs(args, {"advanced", "sql2000"}, {});
  if (!parsed.error.empty()) return Usage(command, parsed.error, synopsis);
  if (parsed.positional.size() != 1) return Usage(command, "expected one FILE", synopsis);
  TemporaryLogFolder logs;
  DocumentSession session;
  if (!ScanForDocuments(session, parsed, logs.path())) return 1;
  const TreeItem root = TopLevelNode(session.window, rootText);
  if (root != 0) PrintSubtree(session.window, root, 0);
  return 0;
}

int RunSitesCommand(const std::vector<std::string>& args) { return RunTreeCommand("sites", kTextSitesRoot, args); }

int RunFoldersCommand(const std::vector<std::string>& args) {
  return RunTreeCommand("folders", kTextFoldersRoot, args);
}

int RunDocsCommand(const std::vector<std::string>& args) {
  const char* synopsis = "docs FILE PATH [--advanced] [--sql2000]";
  ParsedArgs parsed = ParseArgs(args, {"advanced", "sql2000"}, {});
  if (!parsed.error.empty()) return Usage("docs", parsed.error, synopsis);
  if (parsed.positional.size() != 2) return Usage("docs", "expected FILE and PATH", synopsis);
  TemporaryLogFolder logs;
  DocumentSession session;
  if (!ScanForDocuments(session, parsed, logs.path())) return 1;
  const std::string& path = parsed.positional[1];
  const TreeItem node = NodeOfPath(session.window, path);
  if (node == 0) {
    std::fprintf(stderr, "brinehold docs: no node %s in the document tree\n", path.c_str());
    return 1;
  }
  // As a click on the node does it.
  session.window.SelectTreeItem(TreeId::Document, node);
  session.folders.OnFolderSelected(session.window.TreeItemText(TreeId::Document, node), node);
  session.driver.WaitForWorker();
  const HeadlessWindow::State state = session.window.Snapshot();
  if (state.listColumns.empty()) return 0;
  for (size_t c = 0; c < state.listColumns.size(); ++c)
    std::printf("%s%s", c ? "\t" : "", EscapeCell(state.listColumns[c].heading).c_str());
  std::printf("\n");
  for (const auto& item : state.listItems) {
    for (size_t c = 0; c < state.listColumns.size(); ++c)
      std::printf("%s%s", c ? "\t" : "", EscapeCell(c < item.texts.size() ? item.texts[c] : "").c_str());
    std::printf("\n");
  }
  return 0;
}

CommandRegistration sites({50, "sites", "sites FILE [--advanced] [--sql2000]",
                           "Runs a document-recovery scan and prints the \"SharePointACTUAL\" tree:\n"
                           "the sites, their lists and libraries, and under each list the folder\n"
                           "names and documents it holds. One node a line, two blanks of indent\n"
                           "per level. Exit 1 when the scan fails.",
                           RunSitesCommand});
CommandRegistration folders({51, "folders", "folders FILE [--advanced] [--sql2000]",
                             "Runs a document-recovery scan and prints the \"SharePointData\" tree:\n"
                             "the folders of the documents' paths with every document of a size\n"
                             "above 0 under its folder. One node a line, two blanks of indent per\n"
                             "level. Exit 1 when the scan fails.",
                             RunFoldersCommand});
CommandRegistration docs({52, "docs", "docs FILE PATH [--advanced] [--sql2000]",
                          "Runs a document-recovery scan and lists the documents directly under\n"
                          "the document-tree node PATH (its texts from the root joined with '/',\n"
                          "e.g. \"SharePointData/Shared Documents/Reports\") as the document view\n"
                          "shows them: file name, date created, date modified, tab-separated,\n"
                          "after a header line. A node without columns prints nothing. Exit 1\n"
                          "when the scan fails or no node has that path.",
                          RunDocsCommand});

}  // namespace

}  // namespace brinehold::cli
