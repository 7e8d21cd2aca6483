#pragma once
// The words around a free-space overwrite: the question before it and the
// honest account after it.
#include <cstdint>
#include <string>
#include <vector>

#include "shred/core/free_space_fill.h"

namespace corvane {

// "300 MiB", "1.5 GiB", "512 bytes".
std::string FormatBytes(uint64_t bytes);

// "Overwrite the free space of /a and /b now? The disk is full for a moment
// while it runs."
std::string OfferQuestion(const std::vector<FillTarget>& targets);

// The Delete confirmation's line for files whose old copies only a free-space
// overwrite reaches.
std::string OldCopiesLine(const std::vector<FillTarget>& targets);

// The question before a fill started from the command line.
std::string FillConfirmation(const FillTarget& target, uint64_t freeBytes);

// The closing box: its text, title and style word.
struct FillMessage {
  std::string prompt;
  std::string title;
  int style;
};
FillMessage FillReportMessage(const FillTarget& target, const FillReport& report);

}  // namespace corvane
