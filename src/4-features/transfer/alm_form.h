// TForm_Alm: the log of an almanac download or upload, one line per step, and how far the transfer
// has come. It stays open with its log after the transfer; closing it clears the log.
#pragma once

#include "model/form.h"
#include "platform/dialogs.h"

namespace zelkon {

class TForm_Alm final : public Form {
 public:
  TForm_Alm() : Form("TForm_Alm", "Almanac Loading Status", "Downloading Almanac: Packet 0x58") {}

  // Read-only; every line ends with CR LF.
  Memo Memo_Alm{*this, "Memo_Alm", Design().Hint("Almanac Loading: packets 38, 58.")};
  // "Block 12 of 35" while a transfer runs; the last count stays after it.
  Label Label_Progress{*this, "Label_Progress", Design().Hint("Blocks transferred of the total.")};
};

// OpenDialog of the main window as the almanac transfers use it, for the file read and for the
// file a download creates.
inline FileDialogRequest AlmanacFileDialog() {
  return {" ", ".dat", "Data Files (*.dat)|*.dat|All Files (*.*)|*.*"};
}

}  // namespace zelkon
