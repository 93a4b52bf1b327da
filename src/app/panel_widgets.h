// The widgets of the four panels: made once from the panel controls, showing the editor's panel
// state, and reporting the user's picks, typing and clicks. They decide nothing themselves.
#pragma once

#include <QColor>
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "view/editor_state.h"

class QPushButton;
class QWidget;

namespace zmf::app {

class PanelListModel;

class PanelWidgets final : public QObject {
  Q_OBJECT
 public:
  struct Handlers {
    // A row picked by the user in a list (never by a refresh).
    std::function<void(std::uint32_t listId, int row)> pick;
    // A button, "ok" or the check box clicked: its identifier.
    std::function<void(std::uint32_t id)> press;
  };

  // `places` are the four views' panel widgets, whose top left corner is client pixel
  // (kLeft, kTop) in the window of default size: each gets a grid layout that keeps its
  // controls' places relative to that corner.
  PanelWidgets(const std::array<QWidget*, 4>& places, view::EditorState& editor, Handlers handlers);
  ~PanelWidgets() override;

  static constexpr int kLeft = 544;
  static constexpr int kTop = 0;

  // Brings every widget whose control changed up to date with the panel state.
  void Sync();

  // The widget of a control by its name ("520", "normal-x"), for tests. The colour rows'
  // swatches are named "ambient-swatch", "diffuse-swatch", "emission-swatch" and
  // "specular-swatch".
  QWidget* Widget(std::string_view name) const;

 private:
  // A colour row's colour as its boxes read ("ambient", ...), each channel clamped to 0 ... 1.
  QColor RowColour(const char* row) const;
  // The swatch's colour dialog: a chosen colour goes into the row's boxes and is applied.
  void PickColour(const char* row, QWidget* swatch);

  view::EditorState& editor_;
  Handlers handlers_;
  std::vector<QWidget*> widgets_;             // by control position
  std::vector<PanelListModel*> models_;       // by control position; null for non-lists
  std::vector<std::uint64_t> shownVersions_;  // the state version each widget shows
  std::vector<QPushButton*> swatches_;        // the colour rows' swatch buttons, in row order
};

}  // namespace zmf::app
