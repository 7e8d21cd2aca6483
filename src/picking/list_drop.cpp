#include "picking/list_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "picking/handed_paths.h"
#include "platform/paths.h"
#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"

namespace corvane {

std::vector<std::string> DroppedPaths(const QMimeData& data) {
  std::vector<std::string> paths;
  for (const QUrl& url : data.urls()) {
    // Decoded from the encoded form, byte by byte: a name that is not UTF-8
    // keeps its bytes, which a decoded QString would lose.
    std::optional<std::string> path = LocalPathOfUri(url.toEncoded().toStdString());
    if (path && !path->empty()) paths.push_back(std::move(*path));
  }
  return paths;
}

ListDrop::ListDrop(RunController& runs) : QObject(&runs.Window()), runs_(runs) {
  ListBox& list = runs.Files();
  list.setAcceptDrops(true);
  list.viewport()->setAcceptDrops(true);
  list.viewport()->installEventFilter(this);
}

bool ListDrop::eventFilter(QObject*, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  std::vector<std::string> paths;
  if (!runs_.Running() && drop->mimeData() != nullptr) paths = DroppedPaths(*drop->mimeData());
  if (paths.empty()) {
    drop->ignore();
    return true;
  }
  // The files stay where they are until the Delete command.
  if (drop->possibleActions() & Qt::CopyAction) drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type == QEvent::Drop) {
    // Listed once the drop is over, so the program dragged from is not kept
    // waiting for a long folder scan.
    QTimer::singleShot(0, this, [this, paths] { AddHandedPaths(runs_, paths); });
  }
  return true;
}

}  // namespace corvane
