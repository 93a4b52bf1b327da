// The panels' widgets.
#include "app/panel_widgets.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "command/material_commands.h"
#include "view/panels.h"

namespace zmf::app {

// A list's rows straight from its control state: only the rows on screen are ever formatted, so
// a list of a million selected vertices costs nothing until it is opened.
class PanelListModel final : public QAbstractListModel {
 public:
  PanelListModel(QObject* parent, const view::EditorState& editor, std::size_t control)
      : QAbstractListModel(parent), editor_(editor), control_(control) {}

  int rowCount(const QModelIndex& parent) const override {
    if (parent.isValid()) return 0;
    return static_cast<int>(std::min<std::size_t>(State().Rows(), INT_MAX));
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const view::ControlState& state = State();
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= state.Rows()) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(state.RowText(index.row()));
    if (role == Qt::UserRole) return state.items[index.row()];
    return {};
  }

  // The state changed: the views show it afresh.
  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  const view::ControlState& State() const { return editor_.panels.At(control_); }
  const view::EditorState& editor_;
  std::size_t control_;
};

namespace {

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

// A control's height on its panel: a drop-down list's is its closed box.
int PlacedHeight(const view::PanelControl& c) {
  return c.kind == view::ControlKind::List ? 24 : c.height;
}

// Lays a view's controls out in a grid whose lines are the controls' edges: each control spans
// the cells between its own edges, and each cell is as wide and as high as the gap between its
// lines, so the panel keeps its arrangement; the grid's last row and column take what is left.
void LayOutPanel(QWidget* place, view::ViewMode viewMode, const std::vector<QWidget*>& widgets) {
  const std::span<const view::PanelControl> controls = view::PanelControls();
  std::vector<int> xs{PanelWidgets::kLeft};
  std::vector<int> ys{PanelWidgets::kTop};
  for (const view::PanelControl& c : controls) {
    if (c.view != viewMode) continue;
    xs.insert(xs.end(), {c.x, c.x + c.width});
    ys.insert(ys.end(), {c.y, c.y + PlacedHeight(c)});
  }
  for (std::vector<int>* lines : {&xs, &ys}) {
    std::sort(lines->begin(), lines->end());
    lines->erase(std::unique(lines->begin(), lines->end()), lines->end());
  }
  const auto at = [](const std::vector<int>& lines, int edge) {
    return static_cast<int>(std::lower_bound(lines.begin(), lines.end(), edge) - lines.begin());
  };
  auto* grid = new QGridLayout(place);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    grid->setColumnMinimumWidth(static_cast<int>(i), xs[i + 1] - xs[i]);
  }
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    grid->setRowMinimumHeight(static_cast<int>(i), ys[i + 1] - ys[i]);
  }
  grid->setColumnStretch(static_cast<int>(xs.size()), 1);
  grid->setRowStretch(static_cast<int>(ys.size()), 1);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const view::PanelControl& c = controls[i];
    if (c.view != viewMode) continue;
    const int column = at(xs, c.x), row = at(ys, c.y);
    grid->addWidget(widgets[i], row, column, at(ys, c.y + PlacedHeight(c)) - row,
                    at(xs, c.x + c.width) - column, Qt::AlignLeft | Qt::AlignTop);
  }
}

// The material panel's colour rows: each has four boxes (r, g, b, a) named after it.
constexpr const char* kColourRows[] = {"ambient", "diffuse", "emission", "specular"};

std::size_t BoxOfRow(const char* row, int column) {
  static constexpr const char* kColumns[] = {"-r", "-g", "-b", "-a"};
  return *view::FindPanelControl(std::string(row) + kColumns[column]);
}

// A component typed in a box, as a colour channel: unreadable text is 0, the rest is clamped.
float Channel(const std::string& text) {
  bool ok = false;
  const float value = QString::fromStdString(text).trimmed().toFloat(&ok);
  return ok ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
}

}  // namespace

PanelWidgets::PanelWidgets(const std::array<QWidget*, 4>& places, view::EditorState& editor,
                           Handlers handlers)
    : QObject(places[0]), editor_(editor), handlers_(std::move(handlers)) {
  const std::span<const view::PanelControl> controls = view::PanelControls();
  widgets_.resize(controls.size(), nullptr);
  models_.resize(controls.size(), nullptr);
  shownVersions_.resize(controls.size(), ~std::uint64_t{0});
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const view::PanelControl& c = controls[i];
    QWidget* place = places[static_cast<int>(c.view)];
    const std::uint32_t id = c.id;
    QWidget* widget = nullptr;
    switch (c.kind) {
      case view::ControlKind::Static: {
        auto* label = new QLabel(place);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(c.height > 24);
        widget = label;
        break;
      }
      case view::ControlKind::List: {
        auto* list = new QComboBox(place);
        auto* model = new PanelListModel(list, editor_, i);
        list->setModel(model);
        // Fixed size: nothing measures the rows, however many there are.
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        if (auto* view = qobject_cast<QListView*>(list->view())) view->setUniformItemSizes(true);
        list->setFocusPolicy(Qt::NoFocus);
        connect(list, &QComboBox::activated, this, [this, id](int row) {
          if (handlers_.pick) handlers_.pick(id, row);
        });
        models_[i] = model;
        widget = list;
        break;
      }
      case view::ControlKind::Box:
      case view::ControlKind::NumberBox: {
        auto* box = new QLineEdit(place);
        if (c.kind == view::ControlKind::NumberBox) {
          box->setValidator(
              new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
        }
        connect(box, &QLineEdit::textEdited, this, [this, i](const QString& text) {
          editor_.panels.SetTextAt(i, text.toStdString());
          shownVersions_[i] = editor_.panels.At(i).version;  // the box already shows it
        });
        widget = box;
        break;
      }
      case view::ControlKind::Ok:
      case view::ControlKind::Button:
      case view::ControlKind::Icon: {
        auto* button = new QPushButton(place);
        if (c.kind == view::ControlKind::Icon) {
          button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(c.icon)));
          button->setIconSize(QSize(c.width - 8, c.height - 8));
        }
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, id] {
          if (handlers_.press) handlers_.press(id);
        });
        widget = button;
        break;
      }
      case view::ControlKind::CheckBox: {
        auto* check = new QCheckBox(place);
        check->setFocusPolicy(Qt::NoFocus);
        connect(check, &QCheckBox::clicked, this, [this, id] {
          if (handlers_.press) handlers_.press(id);
        });
        widget = check;
        break;
      }
    }
    widget->setFixedSize(c.width, PlacedHeight(c));
    widget->setObjectName(
        QString::fromLatin1(c.name.data(), static_cast<qsizetype>(c.name.size())));
    widgets_[i] = widget;
  }
  for (int v = 0; v < 4; ++v) LayOutPanel(places[v], static_cast<view::ViewMode>(v), widgets_);
  // Right of each colour row's label, a swatch of the row's colour that picks a new one; the
  // swatches sit over the laid-out rows, outside the grid.
  for (const char* row : kColourRows) {
    const view::PanelControl& label =
        controls[*view::FindPanelControl(std::string(row) + "-label")];
    const view::PanelControl& alpha = controls[BoxOfRow(row, 3)];
    auto* swatch = new QPushButton(places[static_cast<int>(label.view)]);
    swatch->setObjectName(QStringLiteral("%1-swatch").arg(QLatin1String(row)));
    swatch->setGeometry(alpha.x - kLeft, label.y - kTop + 2, alpha.width, label.height - 4);
    swatch->setIconSize(swatch->size() - QSize(10, 8));
    swatch->setFocusPolicy(Qt::NoFocus);
    swatch->setToolTip(QStringLiteral("Choose the %1 colour").arg(QLatin1String(row)));
    connect(swatch, &QPushButton::clicked, this, [this, row, swatch] { PickColour(row, swatch); });
    swatches_.push_back(swatch);
  }
  Sync();
}

QColor PanelWidgets::RowColour(const char* row) const {
  float channels[4];
  for (int column = 0; column < 4; ++column) {
    channels[column] = Channel(editor_.panels.At(BoxOfRow(row, column)).text);
  }
  return QColor::fromRgbF(channels[0], channels[1], channels[2], channels[3]);
}

void PanelWidgets::PickColour(const char* row, QWidget* swatch) {
  QColorDialog dialog(RowColour(row), swatch->window());
  dialog.setWindowTitle(QStringLiteral("%1 Colour").arg(QLatin1String(row)));
  dialog.setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return;
  const QColor chosen = dialog.selectedColor();
  const float channels[] = {chosen.redF(), chosen.greenF(), chosen.blueF(), chosen.alphaF()};
  // The numbers go into the row's boxes, and the colours' "ok" applies them, as if typed.
  for (int column = 0; column < 4; ++column) {
    editor_.panels.SetTextAt(BoxOfRow(row, column),
                             QString::number(channels[column], 'f', 3).toStdString());
  }
  if (handlers_.press) handlers_.press(command::kApplyColours);
}

PanelWidgets::~PanelWidgets() = default;

void PanelWidgets::Sync() {
  const std::span<const view::PanelControl> controls = view::PanelControls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const view::ControlState& state = editor_.panels.At(i);
    if (shownVersions_[i] == state.version) continue;
    shownVersions_[i] = state.version;
    QWidget* widget = widgets_[i];
    widget->setEnabled(state.enabled);
    switch (controls[i].kind) {
      case view::ControlKind::Static: {
        auto* label = static_cast<QLabel*>(widget);
        QString text = ToQString(state.text);
        // A path too long for its line shows its ends around an ellipsis.
        if (controls[i].name == "texture-path") {
          text = label->fontMetrics().elidedText(text, Qt::ElideMiddle, controls[i].width);
          label->setToolTip(ToQString(state.text));
        }
        label->setText(text);
        break;
      }
      case view::ControlKind::List: {
        auto* list = static_cast<QComboBox*>(widget);
        models_[i]->Reset();
        list->setCurrentIndex(state.picked);
        break;
      }
      case view::ControlKind::Box:
      case view::ControlKind::NumberBox: {
        auto* box = static_cast<QLineEdit*>(widget);
        const QString text = ToQString(state.text);
        if (box->text() != text) box->setText(text);
        break;
      }
      case view::ControlKind::Ok:
      case view::ControlKind::Button:
        static_cast<QPushButton*>(widget)->setText(ToQString(state.text));
        break;
      case view::ControlKind::Icon:
        break;
      case view::ControlKind::CheckBox:
        static_cast<QCheckBox*>(widget)->setChecked(state.checked);
        break;
    }
  }
  for (std::size_t r = 0; r < swatches_.size(); ++r) {
    const std::size_t red = BoxOfRow(kColourRows[r], 0);
    swatches_[r]->setEnabled(widgets_[red]->isEnabled());
    // The colour shown, also kept as the swatch's "colour" property.
    const QColor colour = RowColour(kColourRows[r]);
    if (swatches_[r]->property("colour").value<QColor>() == colour) continue;
    swatches_[r]->setProperty("colour", colour);
    QPixmap picture(swatches_[r]->iconSize());
    picture.fill(colour);
    swatches_[r]->setIcon(QIcon(picture));
  }
}

QWidget* PanelWidgets::Widget(std::string_view name) const {
  const std::optional<std::size_t> index = view::FindPanelControl(name);
  if (index) return widgets_[*index];
  for (QPushButton* swatch : swatches_) {
    if (swatch->objectName() == QLatin1String(name.data(), static_cast<qsizetype>(name.size()))) {
      return swatch;
    }
  }
  return nullptr;
}

}  // namespace zmf::app
