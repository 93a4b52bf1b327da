// The panels' widgets.
#include "app/panel_widgets.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpressionValidator>

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
    const QRect geometry(c.x - kLeft, c.y - kTop, c.width, c.height);
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
        // A drop-down list's height is its closed box; the rest is its drop-down.
        widget->setGeometry(geometry.x(), geometry.y(), geometry.width(), 24);
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
    if (c.kind != view::ControlKind::List) widget->setGeometry(geometry);
    widget->setObjectName(
        QString::fromLatin1(c.name.data(), static_cast<qsizetype>(c.name.size())));
    widgets_[i] = widget;
  }
  Sync();
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
}

QWidget* PanelWidgets::Widget(std::string_view name) const {
  const std::optional<std::size_t> index = view::FindPanelControl(name);
  return index ? widgets_[*index] : nullptr;
}

}  // namespace zmf::app
