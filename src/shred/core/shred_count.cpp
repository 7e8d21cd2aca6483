#include "shred/core/shred_count.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/text.h"
#include "shred/core/numeric_text.h"

namespace corvane {

namespace {
std::optional<int64_t> RoundHalfEven(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // nearbyint follows the current rounding mode, which is to-nearest-even.
  double rounded = std::nearbyint(value);
  if (rounded >= 9223372036854775807.0 || rounded < -9223372036854775807.0) return std::nullopt;
  return static_cast<int64_t>(rounded);
}
}  // namespace

std::optional<double> ParseShredCount(const std::string& text) {
  // The same syntax the shred count field accepts.
  if (ClassifyNumber(text) == NumberKind::NotNumeric) return std::nullopt;
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (text[begin] == '+' || text[begin] == '-') {
    negative = text[begin] == '-';
    ++begin;
  }
  double value = 0;
  auto [ptr, ec] =
      std::from_chars(text.data() + begin, text.data() + end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: a huge count, or next to nothing.
    size_t e = text.find_first_of("eE", begin);
    bool tiny = e != std::string::npos && e + 1 < end && text[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc() || ptr != text.data() + end) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

int64_t PassCount(double count) {
  if (std::isnan(count) || count <= 0) return 0;
  auto rounded = RoundHalfEven(count);
  if (!rounded) return INT64_MAX;
  return *rounded < 0 ? 0 : *rounded;
}

std::optional<int64_t> ProgressMaximum(double count, int64_t files) {
  return RoundHalfEven(count * static_cast<double>(files));
}

}  // namespace corvane
