#pragma once

namespace corvane {

class RunController;

void BrowseDeleteClick(RunController& runs);

}  // namespace corvane
