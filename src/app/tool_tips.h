// The tooltips of the toolbar's and the panels' buttons, made from the command table, the menu
// texts and the keys, so that each name and key is written once.
#pragma once

#include <QString>
#include <cstdint>

class QAbstractButton;
class QAction;

namespace zmf::app {

class MainWindow;

// A button's tooltip: the command's name (its menu item's text, else its description) with the
// keys that run it in brackets, "Weld Vertices" or "Select (1, Alt+...)"; under it, for a menu
// command, the command's description. The keys are the single-key shortcut, the menu item's
// shortcut (`action`, may be null) and the button's own mnemonic. `fallback` names a button without
// a command.
QString ToolTipOf(std::uint32_t id, const QAction* action, const QAbstractButton* button,
                  const QString& fallback);

// Gives every toolbar and panel button of the window its tooltip.
void SetToolTips(MainWindow& window);

}  // namespace zmf::app
