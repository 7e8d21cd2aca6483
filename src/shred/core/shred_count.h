#pragma once
// How the shred-count text turns into a run: a real number for the overwrite
// test and the progress maximum, and a whole number of passes.
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// The count as a real number: optional blanks around, optional sign, digits
// with an optional "." and an optional exponent. Nothing for any other text.
std::optional<double> ParseShredCount(const std::string& text);

// Passes per file: the count rounded to the nearest whole number, halves to the
// even neighbour; 0 for a count that rounds to zero or less. Counts beyond the
// 64-bit range are held at its top.
int64_t PassCount(double count);

// round(count * files), halves to even, or nothing when it does not fit.
std::optional<int64_t> ProgressMaximum(double count, int64_t files);

}  // namespace corvane
