// File > Recent Files: the models opened or saved last, newest first, kept in the settings so
// that they outlive the session.
#pragma once

#include <QString>
#include <QStringList>

namespace zmf::app {

class RecentFiles {
 public:
  static constexpr qsizetype kMost = 8;

  // The list as stored, newest first.
  QStringList Paths() const;
  // The file goes to the front (by its absolute path, listed once); the oldest beyond kMost drop.
  void Add(const QString& path);
  // The list without the files that no longer exist, which are dropped from the settings too.
  QStringList ExistingPaths();
  void Clear();

 private:
  void Store(const QStringList& paths);
};

}  // namespace zmf::app
