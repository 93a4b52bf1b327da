// The one prompt for typed values: a caption, one line of text, OK and Cancel.
#include "app/prompt_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>

namespace zmf::app {
namespace {

// The dialog was laid out in dialog units of an 8 point UI font: a horizontal unit is a quarter
// of the average character width (6 px), a vertical unit an eighth of the line height (13 px).
QRect FromDialogUnits(int x, int y, int width, int height) {
  auto horizontal = [](int units) { return units * 6 / 4; };
  auto vertical = [](int units) { return units * 13 / 8; };
  return QRect(horizontal(x), vertical(y), horizontal(width), vertical(height));
}

}  // namespace

PromptText SplitPromptText(std::string_view promptAndDefault) {
  const std::size_t colon = promptAndDefault.find(':');
  if (colon == std::string_view::npos) return {};
  return {std::string(promptAndDefault.substr(0, colon)),
          std::string(promptAndDefault.substr(colon + 1))};
}

PromptDialog::PromptDialog(const PromptText& text, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      edit_(new QLineEdit(this)) {
  setWindowTitle(QString::fromStdString(text.caption));
  setModal(true);
  // The caption is also said inside the dialog, above the answer: window managers that show no
  // title bar, or cut it short, would otherwise leave the question unasked.
  auto* question = new QLabel(QString::fromStdString(text.caption), this);
  question->setObjectName(QStringLiteral("question"));
  question->setWordWrap(true);
  question->setGeometry(FromDialogUnits(7, 4, 172, 12));
  const int below = question->geometry().bottom() + 1;
  auto place = [below](int x, int y, int width, int height) {
    return FromDialogUnits(x, y, width, height).translated(0, below);
  };
  setFixedSize(FromDialogUnits(0, 0, 186, 46).size() + QSize(0, below));

  edit_->setGeometry(place(7, 7, 172, 17));
  edit_->setText(QString::fromStdString(text.answer));
  edit_->selectAll();

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setGeometry(place(73, 24, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setGeometry(place(129, 24, 50, 14));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  edit_->setFocus();
}

std::string PromptDialog::Answer() const {
  return edit_->text().left(kMaxPromptAnswer).toStdString();
}

std::optional<std::string> RunPrompt(std::string_view promptAndDefault, QWidget* owner) {
  PromptDialog dialog(SplitPromptText(promptAndDefault), owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Answer();
}

}  // namespace zmf::app
