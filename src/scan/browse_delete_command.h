#pragma once

namespace corvane {

class Form1;

void BrowseDeleteClick(Form1& form);

}  // namespace corvane
