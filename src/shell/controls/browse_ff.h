#pragma once
// The invisible folder chooser: Show() asks the user for a folder through the
// modal interface. Showing it may fail; that counts as a cancel.
#include <QObject>
#include <optional>
#include <string>

#include "platform/modal.h"

namespace corvane {

class BrowseFF : public QObject {
  Q_OBJECT
 public:
  explicit BrowseFF(QObject* parent = nullptr) : QObject(parent) {}

  // The chosen folder; nothing when none was chosen.
  std::optional<std::string> Show(const FolderRequest& request);
};

}  // namespace corvane
