#pragma once
// Whether a text reads as a number, for the shred count field.
#include <string_view>

namespace corvane {

enum class NumberKind { NotNumeric, Zero, NonZero };

// A number is: optional blanks, an optional sign, digits with an optional "."
// (at least one digit in all), an optional exponent ("e" or "E", optional
// sign, digits), optional blanks. The empty text is not a number. Zero means
// every digit before the exponent is 0, so no rounding can make a tiny number
// zero or a zero non-zero.
NumberKind ClassifyNumber(std::string_view text);

}  // namespace corvane
