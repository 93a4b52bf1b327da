// "%f" and "%u" numbers, written and read exactly as the C library does, but fast.
#include "format/number_text.h"

#include <locale.h>
#include <stdlib.h>

#include <bit>
#include <charconv>
#include <string>
#include <system_error>

namespace zmf::format {
namespace {

constexpr std::uint64_t kMillion = 1000000;

char* FormatFixed6Slow(char* out, float value) {
  return std::to_chars(out, out + kMaxFixed6Length, static_cast<double>(value),
                       std::chars_format::fixed, 6)
      .ptr;
}

// The C library's conversion for the rare texts whose value lies beyond the float range: it
// knows whether they overflow to infinity or underflow to zero. The "C" locale keeps the point
// the decimal separator whatever locale the program runs in.
float ConvertOutOfRange(const char* first, const char* last) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string text(first, last);
  return strtof_l(text.c_str(), nullptr, cLocale);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

char* FormatFixed6(char* out, float value) {
  // The float is m * 2^e exactly; value * 10^6 rounded half to even is then integer arithmetic
  // for every float below 2^43, which is nearly every coordinate a model holds.
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const std::uint32_t exponentField = (bits >> 23) & 0xFFu;
  if (exponentField == 0xFFu) return FormatFixed6Slow(out, value);  // inf, nan
  const std::uint64_t fraction = bits & 0x7FFFFFu;
  const std::uint64_t m = exponentField == 0 ? fraction : (fraction | 0x800000u);
  const int e = exponentField == 0 ? -149 : static_cast<int>(exponentField) - 150;

  std::uint64_t scaled;  // value * 10^6, rounded
  if (e >= 0) {
    if (e > 19) return FormatFixed6Slow(out, value);
    scaled = (m * kMillion) << e;  // below 2^44 * 2^19
  } else {
    const int shift = -e;
    const std::uint64_t n = m * kMillion;  // below 2^44
    if (shift >= 45) {
      scaled = 0;  // n is below half of 2^shift: rounds to zero
    } else {
      scaled = n >> shift;
      const std::uint64_t rest = n & ((std::uint64_t{1} << shift) - 1);
      const std::uint64_t half = std::uint64_t{1} << (shift - 1);
      if (rest > half || (rest == half && (scaled & 1) != 0)) ++scaled;
    }
  }

  if ((bits >> 31) != 0) *out++ = '-';
  out = std::to_chars(out, out + 20, scaled / kMillion).ptr;
  *out++ = '.';
  std::uint64_t decimals = scaled % kMillion;
  for (int i = 5; i >= 0; --i) {
    out[i] = static_cast<char>('0' + decimals % 10);
    decimals /= 10;
  }
  return out + 6;
}

char* FormatUnsigned(char* out, std::uint32_t value) {
  return std::to_chars(out, out + 10, value).ptr;
}

std::size_t ParseFloatPrefix(std::string_view text, float& value) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  // std::from_chars takes no '+' and would take a second sign: neither is a "%f" number.
  if (p == end || *p == '+' || *p == '-') return 0;

  float parsed = 0.0f;
  const char* stop = nullptr;
  std::errc error{};
  if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && p[2] != '+' && p[2] != '-') {
    const auto result = std::from_chars(p + 2, end, parsed, std::chars_format::hex);
    if (result.ec != std::errc::invalid_argument) {
      stop = result.ptr;
      error = result.ec;
    }
  }
  if (stop == nullptr) {
    // "0x" without hexadecimal digits after it is the number 0 followed by an 'x'.
    const auto result = std::from_chars(p, end, parsed, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0;
    stop = result.ptr;
    error = result.ec;
  }
  if (error == std::errc::result_out_of_range) parsed = ConvertOutOfRange(p, stop);
  value = negative ? -parsed : parsed;
  return static_cast<std::size_t>(stop - begin);
}

std::size_t ParseUnsignedPrefix(std::string_view text, std::uint32_t& value) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (p == end || !IsDigit(*p)) return 0;
  std::uint64_t magnitude = 0;
  const auto result = std::from_chars(p, end, magnitude);
  if (result.ec == std::errc::result_out_of_range || magnitude > 0xFFFFFFFFu) {
    value = 0xFFFFFFFFu;
  } else {
    const auto small = static_cast<std::uint32_t>(magnitude);
    value = negative ? 0u - small : small;
  }
  return static_cast<std::size_t>(result.ptr - begin);
}

}  // namespace zmf::format
