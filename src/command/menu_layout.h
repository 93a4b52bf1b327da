// The editor's menu bar: every item's place, text (with its & mnemonic) and command identifier,
// in menu order. The window builds its menus from it and --list-commands prints each command's
// place.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zmf::command {

// Items that only the window can carry out: they have no entry in the command table.
inline constexpr std::uint32_t kMenuExit = 105;
inline constexpr std::uint32_t kMenuHelp = 32774;
inline constexpr std::uint32_t kMenuAbout = 104;

struct MenuItem {
  // The menus leading to the item and the item's own text, joined by " > ":
  // "&Model > &Vertices and Faces > &Weld Vertices". An empty item text is a separator.
  std::string_view path;
  std::uint32_t id;
  bool checkable = false;  // a mode or view item, checked while current
};

// Every item in the order of the menus.
std::span<const MenuItem> MenuItems();

// The item of a command, or null when no menu holds it (panel lists and buttons, script-only
// commands).
const MenuItem* FindMenuItem(std::uint32_t id);

// The path as --list-commands shows it: the menus without their mnemonics, the item with its.
std::string MenuPathText(std::string_view path);

}  // namespace zmf::command
