// The open and save dialogs of the file commands.
#include "app/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace zmf::app {
namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The extension of a filter's first pattern ("glb" for "*.glb"), empty for none.
QString FirstSuffix(std::string_view pattern) {
  const QString text = FromView(pattern);
  const qsizetype dot = text.indexOf(QStringLiteral("*."));
  if (dot < 0) return {};
  return text.mid(dot + 2).section(QRegularExpression(QStringLiteral("[ ;)]")), 0, 0);
}

bool MatchesAFilter(const command::FileDialogOptions& options, const QString& file) {
  const QString suffix = QFileInfo(file).suffix();
  for (const command::FileFilter& filter : options.filters) {
    for (const QString& pattern : FilterPatterns(filter.pattern)) {
      if (pattern.startsWith(QStringLiteral("*.")) &&
          pattern.mid(2).compare(suffix, Qt::CaseInsensitive) == 0) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

QStringList FilterPatterns(std::string_view pattern) {
  return FromView(pattern).split(QRegularExpression(QStringLiteral("[ ;]")), Qt::SkipEmptyParts);
}

QStringList NameFilters(const command::FileDialogOptions& options, bool allSupported) {
  QStringList filters;
  QStringList every;
  for (const command::FileFilter& filter : options.filters) {
    const QStringList patterns = FilterPatterns(filter.pattern);
    filters << FromView(filter.label).trimmed() + " (" + patterns.join(QLatin1Char(' ')) + ")";
    for (const QString& pattern : patterns) {
      if (!every.contains(pattern, Qt::CaseInsensitive)) every << pattern;
    }
  }
  // A dialog that already offers every file needs no list of the supported ones.
  if (allSupported && options.filters.size() > 1 && !every.contains(QStringLiteral("*"))) {
    filters.prepend(QStringLiteral("All supported files (%1)").arg(every.join(QLatin1Char(' '))));
  }
  return filters;
}

QString FilterText(const command::FileDialogOptions& options, bool allSupported) {
  return NameFilters(options, allSupported).join(QStringLiteral(";;"));
}

QString QtFileDialogs::StartFolder(const QString& current) const {
  const QFileInfo info(current);
  if (info.isAbsolute() && info.dir().exists()) return info.absolutePath();
  return lastFolder_.isEmpty() ? QDir::currentPath() : lastFolder_;
}

std::optional<QString> QtFileDialogs::AskOpen(const command::FileDialogOptions& options,
                                              const QString& current) {
  return Ask(options, current, false);
}

std::optional<QString> QtFileDialogs::AskSave(const command::FileDialogOptions& options,
                                              const QString& current) {
  return Ask(options, current, true);
}

std::optional<QString> QtFileDialogs::Ask(const command::FileDialogOptions& options,
                                          const QString& current, bool save) {
  QFileDialog dialog(owner_, FromView(options.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Open wants a file that exists; Save may name a new one.
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!useNativeDialog_) dialog.setOption(QFileDialog::DontUseNativeDialog);
  // Open lists every file it can read first; each format's own filter follows.
  dialog.setNameFilters(NameFilters(options, /*allSupported=*/!save));
  dialog.setDefaultSuffix(FromView(options.defaultSuffix));
  QString start = current;
  if (save) {
    // A save dialog offers a name its filters can write: an export of "worm.zmf" starts as
    // "worm.glb". The chosen filter decides the extension a typed bare name gets.
    if (!start.isEmpty() && !MatchesAFilter(options, start)) {
      const QFileInfo info(start);
      start = info.dir().filePath(info.completeBaseName() + "." + dialog.defaultSuffix());
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
      for (const command::FileFilter& filter : options.filters) {
        if (chosen.startsWith(FromView(filter.label).trimmed() + " (")) {
          dialog.setDefaultSuffix(FirstSuffix(filter.pattern));
        }
      }
    });
  }
  // The dialog starts in the document's folder; an untitled document's, in the folder used last.
  dialog.setDirectory(StartFolder(start));
  // A name the filters hide (a model's, in a picture dialog) is not offered.
  if (!start.isEmpty() && (save || MatchesAFilter(options, start))) {
    dialog.selectFile(QFileInfo(start).fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().front();
  lastFolder_ = QFileInfo(chosen).absolutePath();
  return chosen;
}

}  // namespace zmf::app
