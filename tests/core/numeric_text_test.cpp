#include "shred/core/numeric_text.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(NumericText, ReadsPlainNumbersOnly) {
  for (const char* text : {"20", "-5", "+5", "2.5", ".5", "5.", "1e3", "1E+3", "2.5e-7", " 7 ",
                           "\t12\t", "00001", "1e400", "0.0000001"})
    EXPECT_EQ(ClassifyNumber(text), NumberKind::NonZero) << text;
  for (const char* text : {"0", "00", "0.0", "-0", "+0.", ".0", "0e5", " 0 ", "0.000"})
    EXPECT_EQ(ClassifyNumber(text), NumberKind::Zero) << text;
  for (const char* text : {"", " ", ".", "-", "+-1", "1.2.3", "1e", "1e+", "e3", "abc", "12a",
                           "1 2", "0x10", "1,5", "--1", "\xEF\xBC\x91"})
    EXPECT_EQ(ClassifyNumber(text), NumberKind::NotNumeric) << text;
}

}  // namespace
}  // namespace corvane
