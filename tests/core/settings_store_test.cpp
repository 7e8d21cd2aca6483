#include <gtest/gtest.h>

#include "shell/core/module1.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

struct IniAt {
  explicit IniAt(std::string path) : saved(std::move(IniPath)) { IniPath = std::move(path); }
  ~IniAt() { IniPath = saved; }
  std::string saved;
};

TEST(SettingsStore, KeepsTheLengthLimits) {
  TempDir dir;
  IniAt at(dir / "corvane.ini");
  EXPECT_EQ(ReadIniValue("Settings", "FileSpecific"), "");

  std::string v255(255, 'a');
  v255.back() = 'z';
  EXPECT_GT(WriteIniValue("Settings", "FileSpecific", v255), 0);
  EXPECT_EQ(ReadIniValue("Settings", "FileSpecific"), v255.substr(0, 254));
  // Characters, not bytes: 255 two-byte letters pass too.
  std::string wide;
  for (int i = 0; i < 255; ++i) wide += "\xC3\xA9";
  EXPECT_GT(WriteIniValue("Settings", "Wide", wide), 0);
  EXPECT_EQ(ReadIniValue("Settings", "Wide"), wide.substr(0, 508));
  const std::string stored = ReadFile(IniPath);

  EXPECT_EQ(WriteIniValue("Settings", "FileSpecific", std::string(256, 'b')), kIniTooLong);
  EXPECT_EQ(WriteIniValue("Settings", std::string(256, 'k'), "v"), kIniTooLong);
  EXPECT_EQ(ReadFile(IniPath), stored);

  // The section name has no limit; a 255-character key is fine.
  EXPECT_GT(WriteIniValue(std::string(400, 's'), std::string(255, 'k'), "v"), 0);
  EXPECT_EQ(ReadIniValue(std::string(400, 's'), std::string(255, 'k')), "v");
  EXPECT_GT(WriteIniValue("Settings", "Empty", ""), 0);
  EXPECT_EQ(ReadIniValue("Settings", "Empty"), "");

  // A refused write is 0.
  IniAt dirAsFile(dir.Mkdir("sub"));
  EXPECT_EQ(WriteIniValue("Settings", "ShredsAmount", "20"), 0);
}

}  // namespace
}  // namespace corvane
