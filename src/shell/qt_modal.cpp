#include "shell/qt_modal.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QWidget>

#include "platform/home_folder.h"
#include "platform/paths.h"
#include "platform/vector_state.h"

namespace corvane {

namespace {
// The toolkit's folder dialog accepts the folder it shows when its name box is
// empty and Choose or Enter is pressed. That folder was never chosen (the
// home folder, or the last folder of any dialog): only a folder the user
// picked in the view, which fills the name box, or typed there is accepted.
class FolderChooser : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    if (NameBoxEmpty()) return;
    QFileDialog::accept();
  }

  bool NameBoxEmpty() const {
    const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    // Without the name box nothing can have been picked or typed.
    return name == nullptr || name->text().trimmed().isEmpty();
  }
};

QWidget* DialogParent() {
  QWidget* parent = QApplication::activeWindow();
  if (parent == nullptr) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && w->objectName() == QLatin1String("Form1")) return w;
    }
  }
  return parent;
}

std::string ToBytes(const QString& display) {
  return ResolveDisplayPath(QFile::encodeName(display).toStdString());
}

// The window whose handle the caller gave as the owner, else the usual parent.
QWidget* OwnerWindow(intptr_t owner) {
  if (owner != 0) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (static_cast<intptr_t>(w->internalWinId()) == owner) return w;
    }
  }
  return DialogParent();
}

// "description (patterns)" as the toolkit's filter text. "*.*" means every
// file here, names without a dot included. Simplified, because the dialog
// hands back its filters simplified.
QString NameFilter(const std::string& description, const std::string& patterns) {
  QStringList globs;
  for (const QString& pattern :
       QString::fromStdString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    QString glob = pattern.trimmed();
    if (glob == QLatin1String("*.*")) glob = QStringLiteral("*");
    if (!glob.isEmpty()) globs << glob;
  }
  if (globs.isEmpty()) globs << QStringLiteral("*");
  return (QString::fromStdString(description) + QStringLiteral(" (") +
          globs.join(QLatin1Char(' ')) + QStringLiteral(")"))
      .simplified();
}
}  // namespace

void FitTitle(QMessageBox& box) {
  // Title bars use the desktop's font in bold, not the main window's small
  // one, and their icon and buttons take room of their own: the toolkit's own
  // allowance for the title is too narrow for that.
  constexpr int kTitleBarExtras = 160;
  QFont font = QApplication::font();
  font.setBold(true);
  const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + kTitleBarExtras;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

int QtModal::MessageBox(const std::string& prompt, int style, const std::string& title) {
  QMessageBox box(DialogParent());
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(prompt));
  bool yesNo = (style & 0xF) == kMbYesNo;
  if ((style & 0xF0) == kMbStop) box.setIcon(QMessageBox::Critical);
  if ((style & 0xF0) == 0x20) box.setIcon(QMessageBox::Question);
  if ((style & 0xF0) == kMbExclamation) box.setIcon(QMessageBox::Warning);
  if (yesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  FitTitle(box);
  int answer = box.exec();
  if (!yesNo) return kIdOk;
  return answer == QMessageBox::Yes ? kIdYes : kIdNo;
}

std::optional<std::string> QtModal::ChooseFolder(const FolderRequest& request) {
  FolderChooser dialog(DialogParent(), QString::fromStdString(request.title));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  // A picked link is returned as the link, so that it can be refused.
  dialog.setOption(QFileDialog::DontResolveSymlinks, true);
  // Always the home folder, with nothing chosen: never the working folder or
  // wherever the last dialog was; the root when no home is known.
  const std::string home = HomeFolder();
  dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(home.empty() ? "/" : home)));
  dialog.setLabelText(QFileDialog::FileName, QString::fromStdString(request.prompt));
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Choose"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return ToBytes(chosen.first());
}

FileAnswer QtModal::ChooseFiles(const FileRequest& request) {
  FileAnswer answer;
  QFileDialog dialog(OwnerWindow(request.owner), QString::fromStdString(request.title));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  // A picked link is listed as the link, never as what it points to.
  dialog.setOption(QFileDialog::DontResolveSymlinks, true);
  // The descriptions usually name their patterns already.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (request.save) {
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles
                                           : (request.mustExist ? QFileDialog::ExistingFile
                                                                : QFileDialog::AnyFile));
  }
  QStringList filters;
  for (const auto& [description, patterns] : request.filters)
    filters << NameFilter(description, patterns);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    int index = request.filterIndex >= 1 && request.filterIndex <= filters.size()
                    ? request.filterIndex - 1
                    : 0;
    dialog.selectNameFilter(filters[index]);
  }
  if (!request.initialDir.empty())
    dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(request.initialDir)));
  if (!request.defaultExt.empty())
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
  if (!request.initialName.empty())
    dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(request.initialName)));
  if (dialog.exec() != QDialog::Accepted) return answer;
  answer.accepted = true;
  for (const QString& file : dialog.selectedFiles()) answer.paths.push_back(ToBytes(file));
  answer.filterIndex = static_cast<int32_t>(filters.indexOf(dialog.selectedNameFilter()) + 1);
  if (answer.filterIndex <= 0) answer.filterIndex = request.filterIndex;
  return answer;
}

void QtModal::PumpEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Whatever ran in there may have left the vector registers dirty, which
  // slows the command's own loop down until they are cleared.
  ClearUpperVectorState();
}

}  // namespace corvane
