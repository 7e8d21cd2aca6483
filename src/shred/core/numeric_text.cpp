#include "shred/core/numeric_text.h"

#include "platform/text.h"

namespace corvane {

namespace {
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
}  // namespace

NumberKind ClassifyNumber(std::string_view text) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (n > i && IsBlank(text[n - 1])) --n;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  bool nonZero = false;
  bool point = false;
  for (; i < n; ++i) {
    if (IsDigit(text[i])) {
      ++digits;
      nonZero = nonZero || text[i] != '0';
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return NumberKind::NotNumeric;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponentDigits = 0;
    while (i < n && IsDigit(text[i])) {
      ++i;
      ++exponentDigits;
    }
    if (exponentDigits == 0) return NumberKind::NotNumeric;
  }
  if (i != n) return NumberKind::NotNumeric;
  return nonZero ? NumberKind::NonZero : NumberKind::Zero;
}

}  // namespace corvane
