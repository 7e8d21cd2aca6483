#pragma once
// The numbered errors the file dialog class raises to its caller.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvane {

inline constexpr int32_t kErrInvalidArgument = 5;
inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrUserCancel = 32755;

class DialogError : public std::runtime_error {
 public:
  DialogError(int32_t number, std::string description, std::string source);
  // The usual description for `number`; the source is the dialog class.
  explicit DialogError(int32_t number);

  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
};

// The running executable's file name without its extension, followed by
// ".cFilenDialog".
std::string DialogErrorSource();

}  // namespace corvane
