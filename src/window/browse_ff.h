#pragma once
// The invisible folder chooser. Its options are set one by one, then Show()
// asks the user for a folder through the modal interface. Showing it may fail;
// that counts as a cancel.
#include <QObject>
#include <cstdint>
#include <string>

namespace corvane {

// What a successful Show() leaves behind; the path reads the same every time.
class BrowseResult {
 public:
  const std::string& Path() const { return path_; }
  void setPath(std::string path) { path_ = std::move(path); }

 private:
  std::string path_;
};

class BrowseFF : public QObject {
  Q_OBJECT
 public:
  explicit BrowseFF(QObject* parent = nullptr) : QObject(parent) {}

  void setTitleText(const std::string& text) { title_ = text; }
  const std::string& titleText() const { return title_; }
  void setPromptText(const std::string& text) { prompt_ = text; }
  const std::string& promptText() const { return prompt_; }
  void setOption(bool on) { option_ = on; }
  bool option() const { return option_; }
  void setOption1(int32_t value) { option1_ = value; }
  int32_t option1() const { return option1_; }
  void setOption2(int32_t value) { option2_ = value; }
  int32_t option2() const { return option2_; }

  // True when the user chose a folder.
  bool Show();
  const BrowseResult& Result() const { return result_; }

 private:
  std::string title_;
  std::string prompt_;
  bool option_ = false;
  int32_t option1_ = 0;
  int32_t option2_ = 0;
  BrowseResult result_;
};

}  // namespace corvane
