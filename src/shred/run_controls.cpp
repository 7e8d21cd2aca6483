#include "shred/run_controls.h"

#include "shell/form1.h"

namespace corvane {

void SetFieldsEnabled(Form1& form, bool enabled) {
  form.ShredsAmount->setEnabled(enabled);
  form.FileSpecific->setEnabled(enabled);
  form.List1->setEnabled(enabled);
}

void SetOtherButtonsEnabled(Form1& form, bool enabled) {
  form.AddFiles->setEnabled(enabled);
  form.BrowseFolder->setEnabled(enabled);
  form.BrowseDelete->setEnabled(enabled);
}

void ResetBar(Form1& form) {
  form.ProgressBar1->setValue(0);
  form.ProgressBar1->setCaptionText(QString());
}

void EndRunControls(Form1& form) {
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  SetOtherButtonsEnabled(form, true);
  SetFieldsEnabled(form, true);
  ResetBar(form);
}

}  // namespace corvane
