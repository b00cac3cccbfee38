// TForm_InitialPos: an accurate position typed in, or read from a position file, sent to the
// receiver as latitude, longitude and altitude or as earth-centred X, Y, Z.
#pragma once

#include "model/form.h"
#include "platform/dialogs.h"

namespace zelkon {

class TForm_InitialPos final : public Form {
 public:
  TForm_InitialPos()
      : Form("TForm_InitialPos", "Upload Accurate Position",
             "Set Initial Position: Packets 0x31, 0x32") {}

  Edit Edit_Lat{*this, "Edit_Lat"};
  Edit Edit_Lon{*this, "Edit_Lon"};
  Edit Edit_Alt{*this, "Edit_Alt"};
  Button Button_SetLLA{*this, "Button_SetLLA", Design().Text("&Set")};
  Edit Edit_X{*this, "Edit_X"};
  Edit Edit_Y{*this, "Edit_Y"};
  Edit Edit_Z{*this, "Edit_Z"};
  Button Button_SetECEF{*this, "Button_SetECEF", Design().Text("Se&t")};
  Button Button_File{*this, "Button_File", Design().Text("&From File")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

// The file dialog of position data files, here and in the main window.
inline FileDialogRequest PositionFileDialog() {
  return {" ", ".dat", "Data Files (*.dat)|*.dat|All Files (*.*)|*.*"};
}

}  // namespace zelkon
