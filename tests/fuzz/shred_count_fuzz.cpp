// The shred count text: classifying, parsing and rounding any text is free of
// undefined behaviour, and the results agree with each other.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shred/core/numeric_text.h"
#include "shred/core/shred_count.h"

namespace {

void Check(bool ok, const char* what, const std::string& text) {
  if (ok) return;
  std::fprintf(stderr, "%s for \"%s\"\n", what, text.c_str());
  std::abort();
}

// The first byte past leading blanks.
char FirstNonBlank(const std::string& text) {
  size_t i = text.find_first_not_of(" \t");
  return i == std::string::npos ? '\0' : text[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first eight bytes, when there are that many, are a file count.
  int64_t files = 0;
  if (size >= sizeof files) {
    std::memcpy(&files, data, sizeof files);
    data += sizeof files;
    size -= sizeof files;
  }
  const std::string text(reinterpret_cast<const char*>(data), size);
  using corvane::NumberKind;
  const NumberKind kind = corvane::ClassifyNumber(text);
  const std::optional<double> count = corvane::ParseShredCount(text);
  Check(count.has_value() == (kind != NumberKind::NotNumeric),
        "the parser and the classifier disagree", text);
  if (!count) return 0;
  const double value = *count;
  Check(!std::isnan(value), "NaN parsed", text);
  if (kind == NumberKind::Zero) Check(value == 0, "a zero parsed as non-zero", text);
  if (value != 0) Check((value < 0) == (FirstNonBlank(text) == '-'), "wrong sign", text);

  const int64_t passes = corvane::PassCount(value);
  Check(passes >= 0, "negative pass count", text);
  if (value <= 0.5) Check(passes == 0, "passes for a count of at most one half", text);
  if (std::fabs(value) < 0x1p53) {
    Check(std::fabs(static_cast<double>(passes) - std::fmax(value, 0.0)) <= 0.5,
          "pass count is not the rounded count", text);
  }
  // One more pass never comes from a smaller count.
  Check(corvane::PassCount(std::nextafter(value, INFINITY)) >= passes, "not monotonic", text);

  const std::optional<int64_t> maximum = corvane::ProgressMaximum(value, files);
  const double product = value * static_cast<double>(files);
  if (maximum && std::fabs(product) < 0x1p53)
    Check(std::fabs(static_cast<double>(*maximum) - product) <= 0.5, "progress maximum", text);
  if (!std::isfinite(product)) Check(!maximum, "a maximum for an unbounded product", text);
  return 0;
}
