// The open and save dialogs of the file commands, behind an interface so that tests answer them
// without a real QFileDialog (which remembers folders between runs and can hang a test).
#pragma once

#include <QString>
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

// The dialog's filter list: "label (pattern)" per filter, joined by ";;".
QString FilterText(const command::FileDialogOptions& options);

class QtFileDialogs final : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* owner) : owner_(owner) {}
  std::optional<QString> AskOpen(const command::FileDialogOptions& options,
                                 const QString& current) override;
  std::optional<QString> AskSave(const command::FileDialogOptions& options,
                                 const QString& current) override;

 private:
  std::optional<QString> Ask(const command::FileDialogOptions& options, const QString& current,
                             bool save);
  QWidget* owner_;
};

}  // namespace zmf::app
