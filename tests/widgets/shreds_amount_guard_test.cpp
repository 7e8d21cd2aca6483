#include <gtest/gtest.h>

#include <QTest>

#include "shell/form1.h"
#include "support/scripted_modal.h"

namespace corvane {
namespace {

const char kRefused[] = "You must enter a numeric number for this field!";
const char kSure[] = "Are you sure about this? It's gonna take a very long time!";
const char kNoPass[] = "This count makes no pass! Enter a number that rounds to 1 or more.";

TEST(ShredsAmountGuard, KeepsTheCountANonZeroNumber) {
  struct Case {
    const char* typed;
    std::deque<int> answers;
    const char* result;
    std::vector<const char*> prompts;
  };
  const Case cases[] = {
      {"", {}, "20", {kRefused}},
      {"0", {}, "20", {kRefused}},
      {"00", {}, "20", {kRefused}},
      {"-0", {}, "20", {kRefused}},
      {"0.0", {}, "20", {kRefused}},
      {"abc", {}, "20", {kRefused}},
      {"abcdefgh", {}, "20", {kRefused}},  // refused, never questioned
      {"1,5", {}, "20", {kRefused}},
      {"12345", {}, "12345", {}},
      {"-5", {}, "20", {kNoPass}},
      {"0.4", {}, "20", {kNoPass}},
      {"0.5", {}, "20", {kNoPass}},  // halves go to the even neighbour
      {"0.6", {}, "0.6", {}},
      {"2.5", {}, "2.5", {}},
      {"1e3", {}, "1e3", {}},
      {" 7 ", {}, " 7 ", {}},
      {"123456", {kIdNo}, "12345", {kSure}},
      {"1.2345", {kIdNo}, "1.234", {kSure}},
      {"123456", {kIdYes}, "123456", {kSure}},
      {"0.0000001", {}, "20", {kNoPass}},  // refused, never questioned
      {"1e-0000", {kIdNo}, "1e-00", {kSure}},
      {"   12345", {kIdNo}, "   12", {kSure}},  // blanks count as characters
      {"12345a", {}, "20", {kRefused}},
      // Short texts of large values are questioned too; No puts back "20".
      {"9e99", {kIdNo}, "20", {kSure}},
      {"1e5", {kIdNo}, "20", {kSure}},
      {"1e5", {kIdYes}, "1e5", {kSure}},
      {"99999", {}, "99999", {}},
      {"9e999", {kIdNo}, "20", {kSure}},
      {"1e300xx", {}, "20", {kRefused}},
      {"12e9999", {kIdNo, kIdNo}, "20", {kSure, kSure}},  // cut to "12e99", still large
  };
  for (const Case& c : cases) {
    testing::ScriptedModal modal;
    modal.answers = c.answers;
    Form1 form;
    form.ShredsAmount->setText("19");
    form.ShredsAmount->setText(c.typed);
    std::vector<std::string> prompts;
    for (const auto& box : modal.boxes) prompts.push_back(box.prompt);
    std::vector<std::string> expected(c.prompts.begin(), c.prompts.end());
    EXPECT_EQ(form.ShredsAmount->text().toStdString(), c.result) << c.typed;
    EXPECT_EQ(prompts, expected) << c.typed;
    for (const auto& box : modal.boxes) {
      if (box.prompt == kRefused || box.prompt == kNoPass) {
        EXPECT_EQ(box.style, 16);
        EXPECT_EQ(box.title, "Corvane - Error");
      } else {
        EXPECT_EQ(box.style, 36);
        EXPECT_EQ(box.title, "Corvane - You Sure About This?");
      }
    }
  }
}

TEST(ShredsAmountGuard, ChecksEveryKeystroke) {
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  form.ShredsAmount->setFocus();
  form.ShredsAmount->end(false);
  // Deleting the last character empties the field: refused at once.
  QTest::keyClick(form.ShredsAmount, Qt::Key_Backspace);
  EXPECT_EQ(form.ShredsAmount->text(), "2");
  QTest::keyClick(form.ShredsAmount, Qt::Key_Backspace);
  EXPECT_EQ(form.ShredsAmount->text(), "20");
  ASSERT_EQ(modal.boxes.size(), 1u);
  // A Yes is not remembered: each longer text asks again.
  form.ShredsAmount->end(false);
  QTest::keyClicks(form.ShredsAmount, "0000");
  EXPECT_EQ(form.ShredsAmount->text(), "200000");
  QTest::keyClick(form.ShredsAmount, Qt::Key_1);
  EXPECT_EQ(form.ShredsAmount->text(), "2000001");
  EXPECT_EQ(modal.boxes.size(), 3u);
}

}  // namespace
}  // namespace corvane
