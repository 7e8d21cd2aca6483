#pragma once
// The open-file-name record handed to the file dialogs: the 8-bit, 76-byte
// form of the classic record, as a plain struct of our own. Text buffers are
// byte strings that keep their full length, trailing NULs included.
#include <cstdint>
#include <string>

namespace corvane {

inline constexpr uint32_t kOpenFileNameSize = 76;

// Flag bits the program and the dialogs look at.
inline constexpr uint32_t kOfnHideReadOnly = 0x4;
inline constexpr uint32_t kOfnAllowMultiSelect = 0x200;
inline constexpr uint32_t kOfnFileMustExist = 0x1000;
inline constexpr uint32_t kOfnExplorer = 0x80000;

struct OPENFILENAME {
  uint32_t lStructSize = 0;
  intptr_t hwndOwner = 0;
  intptr_t hInstance = 0;
  std::string lpstrFilter;  // description NUL patterns NUL ... NUL NUL
  std::string lpstrCustomFilter;
  uint32_t nMaxCustFilter = 0;
  uint32_t nFilterIndex = 0;  // 1-based
  std::string lpstrFile;      // nMaxFile bytes: initial name in, result out
  uint32_t nMaxFile = 0;
  std::string lpstrFileTitle;
  uint32_t nMaxFileTitle = 0;
  std::string lpstrInitialDir;
  std::string lpstrTitle;
  uint32_t Flags = 0;
  uint16_t nFileOffset = 0;
  uint16_t nFileExtension = 0;
  std::string lpstrDefExt;
  intptr_t lCustData = 0;
  intptr_t lpfnHook = 0;
  std::string lpTemplateName;
};

}  // namespace corvane
