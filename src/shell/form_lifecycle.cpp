#include "shell/form_lifecycle.h"

#include "picking/core/c_file_dialog.h"
#include "platform/attributes.h"
#include "platform/dir_search.h"
#include "platform/modal.h"
#include "platform/path_text.h"
#include "shell/core/module1.h"
#include "shell/form1.h"

namespace corvane {

namespace {

// The settings are loaded only from an ordinary file: a hidden one, a
// directory, a FIFO, a device or a symbolic link of that name is not there.
bool SettingsFilePresent(const std::string& path) {
  if (path.empty()) return false;
  const std::string_view name = SplitAtLastSlash(path).name;
  DirSearch search;
  for (std::string found = search.First(path, 0); !found.empty(); found = search.Next()) {
    if (found == name) return search.CurrentAttributes() == kAttrNormal;
  }
  return false;
}

// A settings file that cannot be written must not stop the close; only a
// value too long to keep is told.
void SaveField(const QLineEdit* field, const char* key) {
  if (WriteIniValue("Settings", key, field->text().toStdString()) == kIniTooLong)
    CurrentModal().MessageBox(
        "Can't write more than " + std::to_string(kIniWriteLimit) + " characters for key or value.",
        kMbOk, "Corvane");
}

void LoadField(QLineEdit* field, const char* key) {
  // A key that is not there leaves the field at its default, without a word.
  // Setting the text notifies the field's change handler as typing would.
  if (std::optional<std::string> value = FindIniValue("Settings", key))
    field->setText(QString::fromStdString(*value));
}

}  // namespace

void FormLoad(Form1& form) {
  if (SettingsFilePresent(IniPath)) {
    LoadField(form.ShredsAmount, "ShredsAmount");
    LoadField(form.FileSpecific, "FileSpecific");
  }
  form.FileDialog = std::make_unique<cFileDialog>();
  form.FileDialog->setFilter("All Files (*.*)|*.*");
}

void FormUnload(Form1& form) {
  SaveField(form.ShredsAmount, "ShredsAmount");
  SaveField(form.FileSpecific, "FileSpecific");
  // FileDialog stays until the window is destroyed: a dialog of its own may
  // still be on its way back when the window closes.
}

}  // namespace corvane
