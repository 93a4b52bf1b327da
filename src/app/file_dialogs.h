// The open and save dialogs of the file commands, behind an interface so that tests answer them
// without a real QFileDialog (which remembers folders between runs and can hang a test).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "command/command_table.h"

class QWidget;

namespace zmf::app {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen path, or nothing when the dialog was cancelled. `current` is the file name the
  // dialog starts from.
  virtual std::optional<QString> AskOpen(const command::FileDialogOptions& options,
                                         const QString& current) = 0;
  virtual std::optional<QString> AskSave(const command::FileDialogOptions& options,
                                         const QString& current) = 0;
};

// The patterns of a filter ("*.bmp;*.jpg" or "*.bmp *.jpg"), one each.
QStringList FilterPatterns(std::string_view pattern);
// The dialog's filters, "label (patterns)" each, the patterns separated by spaces as Qt wants
// them. With allSupported, a dialog of several filters offers first "All supported files" with
// every pattern of the others (not when one of them already takes any file).
QStringList NameFilters(const command::FileDialogOptions& options, bool allSupported);
// The same joined by ";;".
QString FilterText(const command::FileDialogOptions& options, bool allSupported = false);

class QtFileDialogs final : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* owner) : owner_(owner) {}
  // The desktop's own dialog when it has one (the default), or Qt's, which tests can work.
  void SetUseNativeDialog(bool native) { useNativeDialog_ = native; }
  // Where a dialog for `current` starts: the folder of an absolute path whose folder exists,
  // else the folder of the file chosen last, else the working directory.
  QString StartFolder(const QString& current) const;
  std::optional<QString> AskOpen(const command::FileDialogOptions& options,
                                 const QString& current) override;
  std::optional<QString> AskSave(const command::FileDialogOptions& options,
                                 const QString& current) override;

 private:
  std::optional<QString> Ask(const command::FileDialogOptions& options, const QString& current,
                             bool save);
  QWidget* owner_;
  bool useNativeDialog_ = true;
  QString lastFolder_;
};

}  // namespace zmf::app
