#include "ui/recent_files.h"

#include <QSettings>

#include "ui/ui_texts.h"

namespace brinehold::ui {

namespace {

QString EntryName(int index) { return QString("File%1").arg(index + 1); }

}  // namespace

RecentFileList::RecentFileList() {
  QSettings settings(kSettingsOrganisation, kSettingsApplication);
  settings.beginGroup(kRecentFileGroup);
  for (int i = 0; i < kRecentFileCount; ++i) {
    const QString path = settings.value(EntryName(i)).toString();
    if (!path.isEmpty() && !paths_.contains(path)) paths_.append(path);
  }
}

void RecentFileList::Add(const QString& path) {
  if (path.isEmpty()) return;
  paths_.removeAll(path);
  paths_.prepend(path);
  while (paths_.size() > kRecentFileCount) paths_.removeLast();
  Store();
}

void RecentFileList::Remove(const QString& path) {
  if (paths_.removeAll(path) > 0) Store();
}

void RecentFileList::Store() const {
  QSettings settings(kSettingsOrganisation, kSettingsApplication);
  settings.beginGroup(kRecentFileGroup);
  for (int i = 0; i < kRecentFileCount; ++i) {
    if (i < paths_.size()) {
      settings.setValue(EntryName(i), paths_.at(i));
    } else {
      settings.remove(EntryName(i));
    }
  }
}

}  // namespace brinehold::ui
