#pragma once
// What the run controller needs of the scan's wait window: shown when a scan
// starts, closed once its directories are read. The window itself belongs
// with the scan.
namespace corvane {

class WaitScreen {
 public:
  virtual ~WaitScreen() = default;
  virtual void Show() = 0;
  virtual void Close() = 0;
};

}  // namespace corvane
