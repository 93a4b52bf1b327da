// The text sink's buffer and number forms.
#include "format/text_sink.h"

#include <algorithm>

#include "format/number_text.h"

namespace zmf::format {

TextSink::TextSink() : buffer_(new char[kBlock]) {}

void TextSink::Put(std::string_view text) {
  while (!text.empty()) {
    if (used_ == kBlock) Flush();
    const std::size_t part = std::min(text.size(), kBlock - used_);
    std::copy_n(text.data(), part, buffer_.get() + used_);
    used_ += part;
    text.remove_prefix(part);
  }
}

void TextSink::PutFloat(float value) {
  char* start = Room(kMaxFixed6Length);
  used_ += static_cast<std::size_t>(FormatFixed6(start, value) - start);
}

void TextSink::PutUnsigned(std::uint32_t value) {
  char* start = Room(10);
  used_ += static_cast<std::size_t>(FormatUnsigned(start, value) - start);
}

void TextSink::Flush() {
  if (used_ == 0) return;
  const std::size_t used = used_;
  used_ = 0;
  Drain(std::string_view(buffer_.get(), used));
}

}  // namespace zmf::format
