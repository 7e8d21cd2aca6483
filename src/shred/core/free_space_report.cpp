#include "shred/core/free_space_report.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/modal.h"
#include "platform/paths.h"

namespace corvane {

namespace {

std::string Where(const std::string& fileSystem, const std::string& mountPoint) {
  return (fileSystem.empty() ? std::string("the file system") : fileSystem) + " at " +
         DisplayForm(mountPoint);
}

std::string MountPoints(const std::vector<FillTarget>& targets) {
  std::string list;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (i > 0) list += i + 1 == targets.size() ? " and " : ", ";
    list += DisplayForm(targets[i].mountPoint);
  }
  return list;
}

std::string Part(uint64_t done, uint64_t of) {
  return FormatBytes(done) + " of " + FormatBytes(of);
}

// What the fill could not reach, one line each.
std::string NotReached(const FillTarget& target, const FillReport& report) {
  std::string lines;
  if (report.reserved > 0)
    lines += "\n- " + FormatBytes(report.reserved) +
             " reserved for the administrator (root): only root can write there.";
  if (report.leftFree > 0)
    lines += "\n- " + FormatBytes(report.leftFree) +
             " that the file system kept back when it reported the disk full.";
  if (target.fileSystem == "xfs")
    lines += "\n- The space XFS keeps for itself (up to 32 MiB), which no program can write.";
  if (target.fileSystem == "btrfs")
    lines +=
        "\n- Files smaller than about 2 KiB: btrfs keeps them inside its metadata, which "
        "filling the free space does not reach.";
  return lines.empty() ? lines : "\nNot reached:" + lines;
}

std::string Trim(const FillReport& report) {
  if (!report.trimAsked)
    return "\nThe free space was not trimmed: only the administrator (root) may trim a disk.";
  if (report.trimmed)
    return "\nThe free space was then trimmed, so that a solid-state drive may drop its old "
           "copies too.";
  return std::string("\nThe free space could not be trimmed (") + std::strerror(report.trimError) +
         ").";
}

}  // namespace

std::string FormatBytes(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  const char* units[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
  double value = double(bytes) / 1024;
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(units)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, value < 10 ? "%.1f %s" : "%.0f %s", value, units[unit]);
  return text;
}

std::string OfferQuestion(const std::vector<FillTarget>& targets) {
  return "Overwrite the free space of " + MountPoints(targets) +
         " now? The disk is full for a moment while it runs.";
}

std::string OldCopiesLine(const std::vector<FillTarget>& targets) {
  std::string where;
  for (const FillTarget& target : targets) {
    if (!where.empty()) where += "; ";
    where += Where(target.fileSystem, target.mountPoint);
  }
  return "Some files lie on " + where +
         ": their old copies can only be reached by overwriting the free space afterwards.";
}

std::string FillConfirmation(const FillTarget& target, uint64_t freeBytes) {
  return "Overwrite the free space of " + Where(target.fileSystem, target.mountPoint) + "?\n" +
         FormatBytes(freeBytes) +
         " of free space will be filled with random data, then released.\nThe disk is full "
         "while it runs: other programs cannot write to it until it has ended.";
}

FillMessage FillReportMessage(const FillTarget& target, const FillReport& report) {
  const std::string where = Where(target.fileSystem, target.mountPoint);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f s", report.seconds);
  switch (report.end) {
    case FillEnd::kFull:
      return {"Free Space Overwritten!\n" + FormatBytes(report.written) + " of free space on " +
                  where + " overwritten in " + seconds + "." + Trim(report) +
                  NotReached(target, report),
              "Corvane - Free Space Overwritten", kMbOk};
    case FillEnd::kAborted:
      return {"Free Space Overwrite Aborted!\nOnly " + Part(report.written, report.freeBefore) +
                  " of free space on " + where + " were overwritten; the rest was not.",
              "Corvane - Operation Aborted", kMbStop};
    case FillEnd::kEarlyFull:
      return {"Free Space Not Fully Overwritten!\nThe disk of " + where + " was full after " +
                  Part(report.written, report.freeBefore) + ", with " +
                  FormatBytes(report.leftFree) +
                  " still free: another program wrote to it meanwhile, or a quota stopped "
                  "the overwrite. The rest was not overwritten.",
              "Corvane - Free Space Not Overwritten", kMbStop};
    case FillEnd::kChanged:
      return {"Free Space Not Overwritten!\nThe folder checked on " + where +
                  " is no longer on that file system. Nothing was written.",
              "Corvane - Free Space Not Overwritten", kMbStop};
    case FillEnd::kFailed:
      break;
  }
  return {"Free Space Not Overwritten!\nThe overwrite of " + where + " failed after " +
              Part(report.written, report.freeBefore) + ": " + std::strerror(report.error) + ".",
          "Corvane - Free Space Not Overwritten", kMbStop};
}

}  // namespace corvane
