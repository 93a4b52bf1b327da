// Where Help > HTML Help finds the shipped help page.
#include "app/help_page.h"

#include <QDir>
#include <QFileInfo>

namespace zmf::app {

QString HelpPagePath(const QString& programDir) {
  const QDir dir(programDir);
  const QString beside = dir.filePath(QStringLiteral("help.htm"));
  if (QFileInfo::exists(beside)) return beside;
  const QString installed =
      QDir::cleanPath(dir.filePath(QStringLiteral("../share/zmfedit/help.htm")));
  if (QFileInfo::exists(installed)) return installed;
  return beside;
}

}  // namespace zmf::app
