#include "shell/startup.h"

#include "platform/dir_cursor.h"
#include "platform/paths.h"
#include "platform/vector_state.h"
#include "shell/close_on_signal.h"
#include "shell/core/module1.h"
#include "shell/core/settings_location.h"
#include "shell/form1.h"

namespace corvane {

std::unique_ptr<Form1> Main() {
  RaiseOpenFileLimit();
  ClearUpperVectorState();  // the toolkit's start-up may have left it dirty
  IniPath = SettingsFilePath(ExecutableDirectory());
  std::unique_ptr<Form1> form = OpenMainWindow();
  new CloseOnSignal(form.get());  // owned by the window
  return form;
}

std::unique_ptr<Form1> OpenMainWindow() {
  auto form = std::make_unique<Form1>();
  form->Form_Load();
  form->show();
  return form;
}

}  // namespace corvane
