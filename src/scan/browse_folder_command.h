#pragma once

namespace corvane {

class Form1;

void BrowseFolderClick(Form1& form);

}  // namespace corvane
