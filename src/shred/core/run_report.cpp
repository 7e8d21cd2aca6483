#include "shred/core/run_report.h"

#include "platform/modal.h"
#include "platform/paths.h"
#include "shred/core/free_space_report.h"

namespace corvane {

namespace {

std::string CountPart(int64_t left, int64_t listed, const char* what) {
  return std::to_string(left) + " of " + std::to_string(listed) + " " + what;
}

// Every survivor as "path (reason)", files first.
std::string Named(const std::vector<const std::vector<Survivor>*>& lists) {
  std::vector<std::string> lines;
  size_t total = 0;
  for (const std::vector<Survivor>* list : lists) {
    total += list->size();
    for (size_t i = 0; i < list->size() && lines.size() < kEntriesNamed; ++i)
      lines.push_back(DisplayForm((*list)[i].path) + " (" + DescribeReason((*list)[i]) + ")");
  }
  return NamedLines(lines, total);
}

}  // namespace

std::string SurvivorsMessage(int64_t filesListed, int64_t directoriesListed,
                             const std::vector<Survivor>& files,
                             const std::vector<Survivor>& directories) {
  std::string counts;
  if (filesListed > 0) counts = CountPart(static_cast<int64_t>(files.size()), filesListed, "files");
  if (directoriesListed > 0) {
    if (!counts.empty()) counts += " and ";
    counts += CountPart(static_cast<int64_t>(directories.size()), directoriesListed, "directories");
  }
  std::string text = "Some Files Could Not Be Deleted!";
  if (!counts.empty()) text += "\n" + counts + " remain.";
  int64_t missing = 0;
  for (const std::vector<Survivor>* list : {&files, &directories}) {
    for (const Survivor& survivor : *list) missing += survivor.reason == SurvivalReason::kNotFound;
  }
  if (missing > 0) {
    text += "\n" + std::to_string(missing) +
            (missing == 1 ? " listed entry was" : " listed entries were") +
            " not found (moved, renamed or deleted by something else).";
  }
  return text + Named({&files, &directories});
}

std::string AbortedMessage(const std::vector<Survivor>& partly) {
  std::string text = "File Deletion Process Aborted!";
  if (partly.empty()) return text;
  text += "\n" + std::to_string(partly.size()) +
          (partly.size() == 1 ? " file was" : " files were") + " partly overwritten and kept:";
  return text + Named({&partly});
}

std::string InterruptedRunReport(const std::vector<Survivor>& kept) {
  std::string text = "corvane: the run was interrupted before its end";
  text += kept.empty() ? ".\n" : "; these files were kept:\n";
  for (const Survivor& survivor : kept)
    text += survivor.path + " (" + DescribeReason(survivor) + ")\n";
  return text;
}

namespace {
// How many destroyed files lay where, and why that matters.
std::string WhereContentMaySurvive(const std::vector<ContentAtRisk>& atRisk) {
  std::string where;
  for (const ContentAtRisk& place : atRisk) {
    if (!where.empty()) where += "; ";
    where += std::to_string(place.files) + (place.files == 1 ? " file" : " files") + " on " +
             place.fileSystem + " at " + DisplayForm(place.mountPoint);
    if (place.fileSystem == "overlay") where += std::string(" (") + kLowerLayerUntouched + ")";
  }
  return where +
         ".\nCopy-on-write, log-structured and network file systems write changes to new "
         "places, so overwriting cannot destroy the old content.";
}
}  // namespace

std::string ContentMaySurviveMessage(const std::vector<ContentAtRisk>& atRisk) {
  return "Files Deleted, But Their Content May Survive!\n" + WhereContentMaySurvive(atRisk);
}

ClosingBox CompletionBox(const RunOutcome& outcome, const std::vector<FillTarget>& fillable) {
  const std::string offer = fillable.empty() ? "" : "\n" + OfferQuestion(fillable);
  // A single pass only deletes: the content is still on the disk.
  const std::string deletedOnly =
      outcome.deleted_only && outcome.files_destroyed > 0
          ? "\n\nWith one pass the files were deleted, not overwritten: their content stays on "
            "the disk until it is reused."
          : "";
  if (!outcome.complete()) {
    std::string prompt = SurvivorsMessage(outcome.files_listed, outcome.folders_listed,
                                          outcome.files, outcome.folders) +
                         deletedOnly;
    if (!outcome.at_risk.empty())
      prompt +=
          "\n\nThe Deleted Files' Content May Survive!\n" + WhereContentMaySurvive(outcome.at_risk);
    return {prompt + offer, fillable.empty() ? kMbStop : kMbStopYesNo,
            "Corvane - Files Not Deleted"};
  }
  if (!outcome.at_risk.empty())
    return {ContentMaySurviveMessage(outcome.at_risk) + offer,
            fillable.empty() ? kMbExclamation : kMbExclamationYesNo, "Corvane - Files Deleted"};
  return {"Operation Completed Successfully!" + deletedOnly, kMbOk, "Corvane - Files Deleted"};
}

}  // namespace corvane
