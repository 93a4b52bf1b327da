// The property panels beside the viewport, as data: every control of the four panels with its
// place, identifier and text, and what each one shows now (list rows, box texts, enabled and
// checked states). The commands fill the state; the window only shows it and sends the user's
// picks, typing and clicks back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zmf::view {

enum class ViewMode : std::uint8_t;
enum class PanelList : std::uint8_t;
struct EditorState;

// The panel lists' identifiers, shared by the panel data and the commands that fill and pick
// them.
inline constexpr std::uint32_t kListMaterials = 493;
inline constexpr std::uint32_t kListAnimations = 500;
inline constexpr std::uint32_t kListBones = 501;
inline constexpr std::uint32_t kListParents = 502;
inline constexpr std::uint32_t kListWeights = 519;  // shown only: picking a row does nothing
inline constexpr std::uint32_t kListVertices = 520;
inline constexpr std::uint32_t kListFaces = 524;
inline constexpr std::uint32_t kListNormals = 528;
inline constexpr std::uint32_t kListDuplicates = 532;
inline constexpr std::uint32_t kListTexCoords = 548;
inline constexpr std::uint32_t kListAlphaModes = 550;
inline constexpr std::uint32_t kListKeys = 553;
inline constexpr std::uint32_t kListKeyBones = 554;

// The red marker beside the active list: right of the list, this wide and one row high.
inline constexpr int kMarkerWidth = 4;
inline constexpr int kListRowHeight = 24;

enum class ControlKind : std::uint8_t {
  Static,     // a line of text
  List,       // a drop-down list
  Box,        // an edit box
  NumberBox,  // an edit box that takes digits only
  Ok,         // a small "ok" push button that applies its boxes
  Button,     // a push button with a text, sending its identifier
  Icon,       // a push button with an icon, sending its identifier
  CheckBox,
};

struct PanelControl {
  ViewMode view;
  ControlKind kind;
  int x, y, width, height;  // main-window client pixels; lists include their drop-down
  std::uint32_t id;         // list, box or command identifier; 0 for none
  std::string_view name;    // what the panel text calls it: the identifier, or a name
  std::string_view text;    // the text it is made with (buttons, statics, check box)
  int icon = 0;             // the icon resource of an icon button
};

// Every control of the four panels, panel by panel, in the order they are made.
std::span<const PanelControl> PanelControls();
// The position of a control in PanelControls() by its name; nullopt for none.
std::optional<std::size_t> FindPanelControl(std::string_view name);
// The boxes (positions in PanelControls()) whose texts an "ok" or apply identifier reads, in
// reading order; empty for an identifier that reads none.
std::span<const std::size_t> BoxesOf(std::uint32_t applyId);

// The identifier of the list that a kind of active list is; 0 for none.
std::uint32_t ListIdOf(PanelList list);
// Where the red marker beside the active list is drawn, in main-window client pixels (left, top,
// right, bottom), or nothing: only the lists of the mesh and skeleton panels have one.
std::optional<std::array<int, 4>> ActiveListMarker(const EditorState& editor);

// What one control shows.
struct ControlState {
  std::string text;  // boxes, statics, buttons with a changing text
  bool enabled = true;
  bool checked = false;
  // Lists: each row's item data, and its text (empty: the item data as "%i").
  std::vector<std::uint32_t> items;
  std::vector<std::string> itemTexts;
  std::int32_t picked = -1;  // the row picked, -1 for none
  // Bumped whenever any of the above changes, so that the window updates only what changed.
  std::uint64_t version = 0;

  std::size_t Rows() const { return items.size(); }
  std::string RowText(std::size_t row) const;
};

// The state of every control of PanelControls(), in the same order.
class PanelState {
 public:
  PanelState();

  std::span<const ControlState> Controls() const { return controls_; }
  const ControlState& At(std::size_t index) const { return controls_[index]; }
  // The control by name; named controls always exist.
  const ControlState& Get(std::string_view name) const;

  // Changes, each bumping the control's version.
  void SetText(std::string_view name, std::string text);
  void SetEnabled(std::string_view name, bool enabled);
  void SetChecked(std::string_view name, bool checked);
  void SetRows(std::string_view name, std::vector<std::uint32_t> items,
               std::vector<std::string> texts = {}, std::int32_t picked = -1);
  void SetPicked(std::string_view name, std::int32_t row);
  // The boxes of an apply identifier get these texts (as typed before the "ok").
  void SetBoxTexts(std::uint32_t applyId, std::span<const std::string> texts);
  // A box typed into by the user.
  void SetTextAt(std::size_t index, std::string text);

 private:
  ControlState& Mutable(std::string_view name);
  std::vector<ControlState> controls_;
};

// The panel of the editor's view as text, one control a line ("NAME KIND [disabled] [checked]
// TEXT", a list's rows after a colon), and last the list the red marker stands beside: what scripts
// write with "panel FILE" and tests compare.
std::string PanelText(const EditorState& editor);

}  // namespace zmf::view
