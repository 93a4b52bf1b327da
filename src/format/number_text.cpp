// "%f" and "%u" numbers, written and read exactly as the C library does, but fast.
#include "format/number_text.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <string>
#include <system_error>
#include <type_traits>

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
template <class Real>
Real ConvertOutOfRange(const char* first, const char* last) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string text(first, last);
  if constexpr (std::is_same_v<Real, float>) {
    return strtof_l(text.c_str(), nullptr, cLocale);
  } else {
    return strtod_l(text.c_str(), nullptr, cLocale);
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The common plain decimal ("12.345678", what "%f" writes) without a library call: at most 19
// digits, no exponent. The digits make an exact integer m and the point a power of ten 10^k;
// for m up to 2^53 and k up to 22 both are exact doubles, so m / 10^k is the exact value
// rounded once to double. Rounding that double to float gives the float nearest the exact
// value unless the double lies exactly halfway between two floats (the exact value may then be
// on either side): those, and everything else, are left to the full conversion. Returns the
// characters used, or 0 to leave the text to it.
std::size_t ParsePlainDecimal(const char* p, const char* end, float& value) {
  const char* const start = p;
  std::uint64_t m = 0;
  int digits = 0;
  int fraction = 0;
  for (; p != end && IsDigit(*p); ++p, ++digits) m = m * 10 + static_cast<unsigned>(*p - '0');
  const int whole = digits;
  if (p != end && *p == '.') {
    ++p;
    for (; p != end && IsDigit(*p); ++p, ++digits, ++fraction) {
      m = m * 10 + static_cast<unsigned>(*p - '0');
    }
  }
  if (digits == 0 || digits > 19 || fraction > 22) return 0;
  // An exponent, or the "x" of a hexadecimal number after a lone 0, needs the full conversion.
  if (p != end && (*p == 'e' || *p == 'E' || *p == 'x' || *p == 'X')) return 0;
  if (whole == 0 && fraction == 0) return 0;
  if (m > (std::uint64_t{1} << 53)) return 0;
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const double exact = static_cast<double>(m) / kPowers[fraction];
  // The 29 low bits of a double's fraction lie below a float's precision; 1 and 28 zeros there
  // is a point halfway between two floats.
  if ((std::bit_cast<std::uint64_t>(exact) & 0x1FFFFFFFu) == 0x10000000u) return 0;
  value = static_cast<float>(exact);
  return static_cast<std::size_t>(p - start);
}

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

namespace {

// Passes the optional sign at `p` and tells whether it was a minus.
bool TakeSign(const char*& p, const char* end) {
  if (p == end || (*p != '+' && *p != '-')) return false;
  return *p++ == '-';
}

// The longest "%f" number at the start of the text, as a float or a double (see
// ParseFloatPrefix).
template <class Real>
std::size_t ParseRealPrefix(std::string_view text, Real& value) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  const bool negative = TakeSign(p, end);
  // std::from_chars takes no '+' and would take a second sign: neither is a "%f" number.
  if (p == end || *p == '+' || *p == '-') return 0;

  Real parsed = 0;
  if constexpr (std::is_same_v<Real, float>) {
    if (const std::size_t used = ParsePlainDecimal(p, end, parsed); used != 0) {
      value = negative ? -parsed : parsed;
      return static_cast<std::size_t>(p - begin) + used;
    }
  }
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
  if (error == std::errc::result_out_of_range) parsed = ConvertOutOfRange<Real>(p, stop);
  value = negative ? -parsed : parsed;
  return static_cast<std::size_t>(stop - begin);
}

// An optional sign and decimal digits: the number's magnitude held at 2^32 (enough to tell any
// 32-bit overflow), and whether it is negative. Returns the characters used, 0 for no number.
std::size_t ParseWholePrefix(std::string_view text, std::uint64_t& magnitude, bool& negative) {
  constexpr std::uint64_t kHeld = std::uint64_t{1} << 32;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  negative = TakeSign(p, end);
  if (p == end || !IsDigit(*p)) return 0;
  std::uint64_t m = 0;
  for (; p != end && IsDigit(*p); ++p) {
    m = m * 10 + static_cast<unsigned>(*p - '0');
    if (m > kHeld) m = kHeld;
  }
  magnitude = m;
  return static_cast<std::size_t>(p - begin);
}

}  // namespace

std::size_t ParseFloatPrefix(std::string_view text, float& value) {
  return ParseRealPrefix(text, value);
}

std::size_t ParseDoublePrefix(std::string_view text, double& value) {
  return ParseRealPrefix(text, value);
}

std::size_t ParseUnsignedPrefix(std::string_view text, std::uint32_t& value) {
  std::uint64_t magnitude = 0;
  bool negative = false;
  const std::size_t used = ParseWholePrefix(text, magnitude, negative);
  if (used == 0) return 0;
  if (magnitude > 0xFFFFFFFFu) {
    value = 0xFFFFFFFFu;
  } else {
    const auto small = static_cast<std::uint32_t>(magnitude);
    value = negative ? 0u - small : small;
  }
  return used;
}

std::size_t ParseIntPrefix(std::string_view text, std::int32_t& value) {
  std::uint64_t magnitude = 0;
  bool negative = false;
  const std::size_t used = ParseWholePrefix(text, magnitude, negative);
  if (used == 0) return 0;
  const auto held = static_cast<std::int64_t>(magnitude);
  value = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(negative ? -held : held, INT32_MIN, INT32_MAX));
  return used;
}

}  // namespace zmf::format
