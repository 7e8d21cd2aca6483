#pragma once

namespace corvane {

class Form1;

void AddFilesClick(Form1& form);

}  // namespace corvane
