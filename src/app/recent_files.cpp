// The recent files, in the settings.
#include "app/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace zmf::app {
namespace {

const QString kKey = QStringLiteral("recentFiles");

}  // namespace

QStringList RecentFiles::Paths() const { return QSettings().value(kKey).toStringList(); }

void RecentFiles::Add(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList paths = Paths();
  paths.removeAll(absolute);
  paths.prepend(absolute);
  Store(paths);
}

QStringList RecentFiles::ExistingPaths() {
  const QStringList stored = Paths();
  QStringList existing;
  for (const QString& path : stored) {
    if (QFileInfo(path).isFile()) existing << path;
  }
  if (existing != stored) Store(existing);
  return existing;
}

void RecentFiles::Clear() { QSettings().remove(kKey); }

void RecentFiles::Store(const QStringList& paths) {
  QSettings().setValue(kKey, paths.mid(0, kMost));
}

}  // namespace zmf::app
