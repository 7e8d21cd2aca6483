#pragma once

namespace corvane {

class Form1;

void DeleteFilesClick(Form1& form);

}  // namespace corvane
