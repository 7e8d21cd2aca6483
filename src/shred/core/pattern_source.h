#pragma once
// A fast stream of unpredictable bytes for overwriting: AES-256 in counter mode
// keyed from the system's random generator.
#include <cstddef>
#include <memory>

namespace corvane {

class PatternSource {
 public:
  PatternSource();
  ~PatternSource();
  PatternSource(const PatternSource&) = delete;
  PatternSource& operator=(const PatternSource&) = delete;

  // Fills `buffer` with the next `length` bytes of the stream.
  void Fill(unsigned char* buffer, size_t length);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace corvane
