#pragma once
// One shred pass over one listed entry.
//
// With a count above one, every pass overwrites the file's whole current length
// in place with an unpredictable pattern and forces it to the device; the last
// pass then truncates the file, closes it and deletes it. With a count of one a
// pass is a plain delete. Only regular, writable files are ever opened: a
// symbolic link, FIFO, socket or device node is removed as an entry on the last
// pass and nothing is written through it; a read-only file is left alone, and
// so is a regular file whose content could not be overwritten; a file that no
// longer exists is not created again.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shred/core/pattern_source.h"

namespace corvane {

class WritableFile;

class ShredEngine {
 public:
  // `between_chunks` runs between two chunks of a long overwrite, so that a
  // window stays alive while a large file is written.
  explicit ShredEngine(std::function<void()> between_chunks = {});
  ~ShredEngine();

  // Pass `pass` (from 1) of `passes` over `path`. True when the pass deleted
  // the entry or found it already gone.
  bool Pass(const std::string& path, int64_t pass, int64_t passes, bool overwrite);

  static constexpr size_t kChunkSize = size_t{4} << 20;

 private:
  // True when every byte was written.
  bool OverwriteWhole(WritableFile& file);

  std::function<void()> between_chunks_;
  std::unique_ptr<PatternSource> pattern_;
  std::vector<unsigned char> buffer_;
};

}  // namespace corvane
