// The tooltips of the toolbar's and the panels' buttons.
#include "app/tool_tips.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QStringList>

#include "app/main_window.h"
#include "command/command_table.h"
#include "command/key_commands.h"
#include "command/menu_layout.h"
#include "view/panels.h"

namespace zmf::app {
namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString ToolTipOf(std::uint32_t id, const QAction* action, const QAbstractButton* button,
                  const QString& fallback) {
  const command::MenuItem* item = command::FindMenuItem(id);
  const command::CommandEntry* entry = command::FindCommand(id);
  const QString description = entry != nullptr ? FromView(entry->description) : QString();
  QString name = fallback;
  if (item != nullptr) {
    name = FromView(item->path).section(QStringLiteral(" > "), -1).remove(QLatin1Char('&'));
  } else if (!description.isEmpty()) {
    name = description;
  }
  QStringList keys;
  if (const char key = command::ShortcutKeyOf(id)) keys << QString(QLatin1Char(key));
  if (action != nullptr && !action->shortcut().isEmpty()) {
    keys << action->shortcut().toString(QKeySequence::NativeText);
  }
  if (button != nullptr) {
    const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
    if (!mnemonic.isEmpty()) keys << mnemonic.toString(QKeySequence::NativeText);
  }
  QString tip = name;
  if (!keys.isEmpty()) tip += QStringLiteral(" (%1)").arg(keys.join(QStringLiteral(", ")));
  if (item != nullptr && !description.isEmpty()) tip += QLatin1Char('\n') + description;
  return tip;
}

void SetToolTips(MainWindow& window) {
  auto set = [&window](QAbstractButton* button, std::uint32_t id, const QString& fallback) {
    if (button != nullptr) {
      button->setToolTip(ToolTipOf(id, window.MenuAction(id), button, fallback));
    }
  };
  for (const command::MenuItem& item : command::MenuItems()) {
    set(window.ToolButton(item.id), item.id, QString());
  }
  for (const view::PanelControl& control : view::PanelControls()) {
    auto* button = qobject_cast<QAbstractButton*>(window.PanelWidget(control.name));
    set(button, control.id, FromView(control.text));
  }
}

}  // namespace zmf::app
