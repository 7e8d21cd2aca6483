#include "shell/form1.h"

#include <QCloseEvent>
#include <QIcon>
#include <utility>

#include "picking/core/c_file_dialog.h"
#include "picking/list_drop.h"
#include "shell/app_icon.h"

namespace corvane {

namespace {
// Layout is given in twips; 15 twips make one pixel at 96 dpi.
QRect Twips(int left, int top, int width, int height) {
  auto px = [](int twips) { return (twips + 7) / 15; };
  return {px(left), px(top), px(width), px(height)};
}

QFont DialogFont() {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(7.5);
  return f;
}

QFont FieldFont() {
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(9);
  f.setBold(true);
  return f;
}

HoverButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  auto* button = new HoverButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAllCaptions(caption);
  button->setGeometry(geometry);
  return button;
}

QLineEdit* MakeField(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* field = new QLineEdit(text, parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setFont(FieldFont());
  field->setAlignment(Qt::AlignCenter);
  field->setGeometry(geometry);
  field->setTextMargins(0, 0, 0, 0);
  return field;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setGeometry(geometry);
  return label;
}
}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(kMainCaption));
  setWindowIcon(AppIcon());
  setFont(DialogFont());
  setFixedSize(312, 300);
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  List1 = new ListBox(this);
  List1->setObjectName(QStringLiteral("List1"));
  List1->setGeometry(Twips(83, 120, 4515, 2400));

  AddFiles = MakeButton(this, "AddFiles", QStringLiteral("&Add Files To Delete"),
                        Twips(113, 2760, 1335, 495));
  BrowseFolder = MakeButton(this, "BrowseFolder", QStringLiteral("&Browse For A Folder To Delete"),
                            Twips(1673, 2760, 1335, 495));
  DeleteFiles = MakeButton(this, "DeleteFiles", QStringLiteral("&Delete Files"),
                           Twips(3233, 2760, 1335, 495));
  BrowseDelete =
      MakeButton(this, "BrowseDelete", QStringLiteral("Browse && Delete A &Folder (Auto)"),
                 Twips(1680, 3360, 1335, 495));
  ShredsAmount = MakeField(this, "ShredsAmount", QStringLiteral("20"), Twips(120, 3600, 1395, 285));
  FileSpecific =
      MakeField(this, "FileSpecific", QStringLiteral("*.*"), Twips(3180, 3600, 1395, 285));

  ProgressBar1 = new CaptionProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setGeometry(Twips(0, 4080, 4635, 375));

  Label1 =
      MakeLabel(this, "Label1", QStringLiteral("Number Of Shreds:"), Twips(120, 3360, 1395, 255));
  Label2 = MakeLabel(this, "Label2", QStringLiteral("File Specific"), Twips(3180, 3360, 1395, 255));

  List2 = new ListBox(this);
  List2->setObjectName(QStringLiteral("List2"));
  List2->setGeometry(Twips(2820, 120, 1755, 2400));
  List2->setFocusPolicy(Qt::NoFocus);
  List2->hide();

  BrowseFF1 = new BrowseFF(this);
  BrowseFF1->setObjectName(QStringLiteral("BrowseFF1"));

  NameForScreenReaders();
  new ListDrop(Runs);  // owned by the window

  QWidget::setTabOrder(List1, AddFiles);
  QWidget::setTabOrder(AddFiles, BrowseFolder);
  QWidget::setTabOrder(BrowseFolder, DeleteFiles);
  QWidget::setTabOrder(DeleteFiles, BrowseDelete);
  QWidget::setTabOrder(BrowseDelete, ShredsAmount);
  QWidget::setTabOrder(ShredsAmount, FileSpecific);
  List1->setFocus();

  connect(AddFiles, &QAbstractButton::clicked, this, [this] { AddFiles_Click(); });
  connect(BrowseFolder, &QAbstractButton::clicked, this, [this] { BrowseFolder_Click(); });
  connect(DeleteFiles, &QAbstractButton::clicked, this, [this] { DeleteFiles_Click(); });
  connect(BrowseDelete, &QAbstractButton::clicked, this, [this] { BrowseDelete_Click(); });
  connect(List1, &ListBox::KeyDown, this, [this](int key, Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    List1_KeyDown(VirtualKeyCode(key), shift);
  });
  connect(ShredsAmount, &QLineEdit::textChanged, this, [this] { ShredsAmount_Change(); });
}

Form1::~Form1() = default;

void Form1::NameForScreenReaders() {
  Label1->setBuddy(ShredsAmount);
  Label2->setBuddy(FileSpecific);
  List1->setAccessibleName(QStringLiteral("Files To Delete"));
  ShredsAmount->setAccessibleName(QStringLiteral("Number Of Shreds"));
  FileSpecific->setAccessibleName(QStringLiteral("File Specific"));
  ProgressBar1->setAccessibleName(QStringLiteral("Progress"));
  // The buttons are named by their captions, which change during a run.
}

int Form1::VirtualKeyCode(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return qtKey;
  static constexpr std::pair<int, int> kCodes[] = {
      {Qt::Key_Delete, 46}, {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},    {Qt::Key_Return, 13},
      {Qt::Key_Enter, 13},  {Qt::Key_Escape, 27},   {Qt::Key_Space, 32}, {Qt::Key_Insert, 45}};
  for (const auto& [key, code] : kCodes)
    if (key == qtKey) return code;
  return 0;
}

void Form1::closeEvent(QCloseEvent* event) {
  if (!Runs.MayClose(!closeWithoutAsking_)) {
    event->ignore();
    return;
  }
  FormUnload(*this);
  event->accept();
}

void Form1::CloseWithoutAsking() {
  closeWithoutAsking_ = true;
  close();
  closeWithoutAsking_ = false;
}

}  // namespace corvane
