#pragma once
// The main window's controls as a run under the Delete button sets them: the
// fields and the other buttons off while it runs, the button reading "&Abort".
#include <QString>

namespace corvane {

class Form1;

inline const QString kAbortCaption = QStringLiteral("&Abort");
inline const QString kDeleteCaption = QStringLiteral("&Delete Files");

void SetFieldsEnabled(Form1& form, bool enabled);
void SetOtherButtonsEnabled(Form1& form, bool enabled);
void ResetBar(Form1& form);
// How every run under the Delete button ends, before its closing box: the
// button reads "&Delete Files" again, everything is enabled, the bar is empty.
void EndRunControls(Form1& form);

}  // namespace corvane
