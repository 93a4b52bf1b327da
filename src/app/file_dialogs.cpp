// The open and save dialogs of the file commands.
#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace zmf::app {
namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString FilterText(const command::FileDialogOptions& options) {
  QStringList filters;
  for (const command::FileFilter& filter : options.filters) {
    filters << FromView(filter.label).trimmed() + " (" + FromView(filter.pattern) + ")";
  }
  return filters.join(QStringLiteral(";;"));
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
  dialog.setNameFilter(FilterText(options));
  dialog.setDefaultSuffix(FromView(options.defaultSuffix));
  dialog.selectFile(current);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace zmf::app
