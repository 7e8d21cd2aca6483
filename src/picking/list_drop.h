#pragma once
// Dropping files and folders on the file list.
#include <QObject>
#include <string>
#include <vector>

class QMimeData;

namespace corvane {

class RunController;

// The local files and folders a drag carries, as the bytes of their paths.
// URLs of anything but local files are left out.
std::vector<std::string> DroppedPaths(const QMimeData& data);

// Lets List1 take drops: files are added as Add Files adds them, folders are
// listed as Browse For A Folder lists them. Refused while a command runs.
class ListDrop : public QObject {
  Q_OBJECT
 public:
  explicit ListDrop(RunController& runs);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  RunController& runs_;
};

}  // namespace corvane
