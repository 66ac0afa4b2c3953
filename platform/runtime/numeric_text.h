// Reading numbers out of user-visible text, the way the forms runtime does.
//
// Both the delay field and the hour field of a Daytime reply are texts that a
// person or a remote server wrote; these readers never fail and never raise.
#pragma once

#include <cstdint>
#include <string_view>

namespace brisendale {

// The number written at the start of `text`, as a double.
// Blanks, tabs and line feeds are ignored wherever they stand ("1 2" is 12).
// The longest leading number is taken: optional sign, digits, optional point
// and fraction, optional exponent ("-1.5e1x" is -15). "&H" and "&O" read the
// digits after them as hexadecimal or octal. A text without a number is 0.
// A number too large for a double reads as plus or minus infinity.
double NumericValue(std::string_view text);

// `value` rounded to the nearest 32-bit integer, an exact half going to the
// even neighbour (2.5 gives 2, 3.5 gives 4). Values beyond the range are
// clamped to INT32_MIN or INT32_MAX; NaN gives 0.
std::int32_t RoundToInt32(double value);

}  // namespace brisendale
