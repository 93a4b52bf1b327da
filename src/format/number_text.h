// Numbers as the program's text formats write and read them: "%f" and "%u" forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zmf::format {

// Longest characters "%f" writes for a float: sign, 39 integer digits, point, six decimals.
inline constexpr int kMaxFixed6Length = 48;

// Writes `value` as printf's "%f" does (the float widened to double, fixed notation, six
// decimals, exact round-half-even; "-0.000000" for negative zero, "inf", "-nan", ...).
// Returns the end of the text; `out` needs kMaxFixed6Length characters.
char* FormatFixed6(char* out, float value);

// Writes `value` in decimal as "%u" does. Returns the end; `out` needs 10 characters.
char* FormatUnsigned(char* out, std::uint32_t value);

// Reads the longest float at the start of `text` as "%f" reads it after its whitespace: an
// optional sign, then decimal digits with an optional point and exponent ("1.", ".5", "1e5"),
// a hexadecimal float ("0x1p3"), "inf", "infinity" or "nan" in any case. Values beyond the
// float range become infinities or zeros, as the C library converts them. Returns the number of
// characters used, 0 when the text does not start with a number (then `value` is unchanged).
std::size_t ParseFloatPrefix(std::string_view text, float& value);
// The same texts read into a double: the same characters used, the value rounded once to double.
std::size_t ParseDoublePrefix(std::string_view text, double& value);

// Reads the longest "%u" number at the start of `text`: an optional sign and decimal digits.
// A negative number wraps around as "%u" stores it ("-1" gives 4294967295); magnitudes above
// 4294967295 saturate there. Returns the characters used, 0 when there is no number.
std::size_t ParseUnsignedPrefix(std::string_view text, std::uint32_t& value);

// Reads the longest "%d" number at the start of `text`, an optional sign and decimal digits as
// for "%u"; values beyond the 32-bit range are held at its nearest end. Returns the characters
// used, 0 when there is no number (then `value` is unchanged).
std::size_t ParseIntPrefix(std::string_view text, std::int32_t& value);

}  // namespace zmf::format
