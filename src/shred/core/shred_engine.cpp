#include "shred/core/shred_engine.h"

#include <algorithm>

#include "platform/file_ops.h"

namespace corvane {

ShredEngine::ShredEngine(std::function<void()> between_chunks)
    : between_chunks_(std::move(between_chunks)) {}

ShredEngine::~ShredEngine() = default;

bool ShredEngine::Pass(const std::string& path, int64_t pass, int64_t passes, bool overwrite) {
  if (!overwrite) return DeleteEntry(path) || !EntryExists(path);
  WritableFile file = WritableFile::OpenExisting(path);
  if (file.open()) {
    OverwriteWhole(file);
    file.Flush();
  }
  if (pass < passes) return !file.open() && !EntryExists(path);
  if (file.open()) {
    // Release the blocks before the name goes.
    file.Truncate();
    file.Close();
  }
  return DeleteEntry(path) || !EntryExists(path);
}

void ShredEngine::OverwriteWhole(WritableFile& file) {
  const int64_t length = file.size();
  if (length <= 0) return;
  if (!pattern_) pattern_ = std::make_unique<PatternSource>();
  size_t capacity = static_cast<size_t>(std::min<int64_t>(length, kChunkSize));
  if (buffer_.size() < capacity) buffer_.resize(capacity);
  for (int64_t offset = 0; offset < length;) {
    size_t chunk = static_cast<size_t>(std::min<int64_t>(length - offset, kChunkSize));
    pattern_->Fill(buffer_.data(), chunk);
    if (!file.WriteAt(buffer_.data(), chunk, offset)) return;  // disk full, I/O error
    offset += static_cast<int64_t>(chunk);
    if (offset < length && between_chunks_) between_chunks_();
  }
}

}  // namespace corvane
