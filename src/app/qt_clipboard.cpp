// The desktop's clipboard through QClipboard.
#include "app/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace zmf::app {

std::optional<std::string_view> QtClipboard::Text() const {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (data == nullptr || !data->hasText()) return std::nullopt;
  const QByteArray bytes = data->text().toUtf8();
  text_.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return std::string_view(text_);
}

bool QtClipboard::SetText(std::string text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  return true;
}

}  // namespace zmf::app
