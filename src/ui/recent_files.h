// RecentFileList: the data files scanned last, newest first, for the
// application button's menu.
//
// At most four paths, each once (the same file scanned again moves to the
// top). Kept in QSettings under the program's settings as "File1" to
// "File4" of the group "Recent File List", written at every change so that
// the list survives a crash as well as a restart; empty or duplicate
// entries in stored settings are skipped on reading.
#pragma once

#include <QString>
#include <QStringList>

namespace brinehold::ui {

inline constexpr int kRecentFileCount = 4;
inline constexpr const char* kRecentFileGroup = "Recent File List";

class RecentFileList {
 public:
  // Reads the stored list.
  RecentFileList();

  const QStringList& Paths() const { return paths_; }
  // Puts `path` at the top; an empty path is ignored.
  void Add(const QString& path);
  void Remove(const QString& path);

 private:
  void Store() const;

  QStringList paths_;
};

}  // namespace brinehold::ui
