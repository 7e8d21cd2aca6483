#include "shred/core/shred_engine.h"

#include <algorithm>
#include <exception>

#include "platform/file_ops.h"

namespace corvane {

ShredEngine::ShredEngine(std::function<void()> between_chunks)
    : between_chunks_(std::move(between_chunks)) {}

ShredEngine::~ShredEngine() = default;

bool ShredEngine::Pass(const std::string& path, int64_t pass, int64_t passes, bool overwrite) {
  if (!overwrite) return DeleteEntry(path) || !EntryExists(path);
  WritableFile file = WritableFile::OpenExisting(path);
  bool written = file.open() && OverwriteWhole(file) && file.Flush();
  if (pass < passes) return !file.open() && !EntryExists(path);
  // A regular file whose content could not be overwritten (no write access,
  // an I/O error) is kept, so that it is reported as surviving rather than
  // unlinked with its data still on the disk.
  if (!written && IsRegularFile(path)) return false;
  if (file.open()) {
    // Release the blocks before the name goes.
    file.Truncate();
    file.Close();
  }
  return DeleteEntry(path) || !EntryExists(path);
}

bool ShredEngine::OverwriteWhole(WritableFile& file) {
  const int64_t length = file.size();
  if (length <= 0) return true;
  if (!pattern_) {
    try {
      pattern_ = std::make_unique<PatternSource>();
    } catch (const std::exception&) {
      return false;  // no random source: nothing can be overwritten
    }
  }
  size_t capacity = static_cast<size_t>(std::min<int64_t>(length, kChunkSize));
  if (buffer_.size() < capacity) buffer_.resize(capacity);
  for (int64_t offset = 0; offset < length;) {
    size_t chunk = static_cast<size_t>(std::min<int64_t>(length - offset, kChunkSize));
    pattern_->Fill(buffer_.data(), chunk);
    if (!file.WriteAt(buffer_.data(), chunk, offset)) return false;  // I/O error, quota...
    offset += static_cast<int64_t>(chunk);
    if (offset < length && between_chunks_) between_chunks_();
  }
  return true;
}

}  // namespace corvane
