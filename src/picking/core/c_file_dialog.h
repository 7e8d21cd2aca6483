#pragma once
// The Open and Save file dialogs behind a set of properties and two show
// operations, plus the splitting of a multiple selection into a directory and
// names. Failures are raised as DialogError.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "picking/core/dialog_error.h"
#include "platform/open_file_name.h"

namespace corvane {

class cFileDialog {
 public:
  // Shows a dialog over the record; nonzero when the user confirmed.
  using DialogCall = std::function<int32_t(OPENFILENAME&)>;

  // The system's dialogs by default; tests hand in their own.
  cFileDialog();
  cFileDialog(DialogCall openDialog, DialogCall saveDialog);

  bool CancelError() const { return cancelError_; }
  void setCancelError(bool bCancelError) { cancelError_ = bCancelError; }

  const std::string& Filename() const { return filename_; }
  // Stores the name, then refuses one longer than 1024 bytes.
  void setFilename(const std::string& sFilename);

  // What the caller last set; the dialogs never change it.
  const std::string& FileTitle() const { return fileTitle_; }
  void setFileTitle(const std::string& vNewValue) { fileTitle_ = vNewValue; }

  // "description|patterns|..."; ':' separates like '|'.
  const std::string& Filter() const { return filter_; }
  void setFilter(const std::string& sFilter);

  // 1-based; reads back what the dialog left after a show.
  int32_t FilterIndex() const { return static_cast<int32_t>(ofn_.nFilterIndex); }
  void setFilterIndex(int32_t lFilterIndex) {
    ofn_.nFilterIndex = static_cast<uint32_t>(lFilterIndex);
  }

  const std::string& DefaultExt() const { return defaultExt_; }
  void setDefaultExt(const std::string& sDefaultExt);

  const std::string& DialogTitle() const { return ofn_.lpstrTitle; }
  void setDialogTitle(const std::string& vNewValue) { ofn_.lpstrTitle = vNewValue; }

  // The flag word, handed to the next show.
  int32_t flags() const { return flags_; }
  void setFlags(int32_t vNewValue) { flags_ = vNewValue; }

  // The owner window. Window handles can be wider than 32 bits here.
  intptr_t hwnd() const { return ofn_.hwndOwner; }
  void setHwnd(intptr_t vNewValue) { ofn_.hwndOwner = vNewValue; }

  const std::string& InitDir() const { return initDir_; }
  void setInitDir(const std::string& vNewValue);

  // On confirmation the file name becomes the chosen path or, with multiple
  // selection (0x200), the dialog's whole 8192-byte result buffer.
  void ShowOpen();
  // Raises kErrUserCancel on cancel when CancelError is set.
  void ShowSave();

  // Splits a multiple-selection result. Several files: sDir is the directory
  // as the dialog gave it and the names are appended after the first
  // lFileCount entries of sFiles. One file: sDir ends with "/" and sFiles holds
  // just its name.
  void ParseMultiFileName(std::string& sDir, std::vector<std::string>& sFiles,
                          int32_t& lFileCount) const;

  // The record as it stands, for inspection.
  const OPENFILENAME& Record() const { return ofn_; }

 private:
  static std::string TrimAtNull(const std::string& text);
  // Fills the record's buffers and flags for a show with buffers of n bytes.
  void PrepareShow(uint32_t flags, uint32_t n);

  DialogCall openDialog_;
  DialogCall saveDialog_;
  OPENFILENAME ofn_;
  bool cancelError_ = false;
  std::string filename_;
  std::string fileTitle_;
  std::string filter_;
  std::string defaultExt_;
  std::string initDir_;
  int32_t flags_ = 0;
};

}  // namespace corvane
