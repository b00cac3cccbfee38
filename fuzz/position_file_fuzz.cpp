// The position file on arbitrary bytes: the record parser, and the initial-position window's
// "from file" reader on the same bytes as a file, which must fill its edits exactly when the parser
// accepts a position an antenna can have, and then with texts that read back as the file's numbers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz_rig.h"
#include "text/numbers.h"
#include "transfer/initial_pos_form.h"
#include "transfer/position_transfer.h"

namespace {

// One monitor for the whole run: reading a file into the window depends on nothing the last read
// left, and every accepted record overwrites the edits it fills.
struct Window {
  Window() : app{zelkon::Platform{port, clock, dialogs, settings, time}} {}
  zelkon::InstantClock clock;
  zelkon::fuzz::PlayedSerialPort port;
  std::ostringstream boxes;
  zelkon::HeadlessDialogs dialogs{boxes};
  zelkon::fuzz::MemorySettingsStore settings;
  zelkon::fuzz::FixedSystemTime time;
  zelkon::Monitor app;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<zelkon::PositionRecord> record = zelkon::ParsePositionRecord(text);
  if (record && record->kind != 0 && record->kind != 1) std::abort();

  static zelkon::fuzz::MemoryFile file;
  static Window window;
  // The window reads the whole file, zero bytes included, as the parser reads the whole text.
  file.Fill(data, size);
  window.boxes.str("");
  window.dialogs.QueueFile(file.Path());
  zelkon::TForm_InitialPos& form = window.app.Window<zelkon::TForm_InitialPos>();
  form.Button_File.Click();
  const bool filled = window.boxes.str().find("message box") == std::string::npos;
  if (filled != (record && zelkon::PositionOutOfRange(*record).empty())) std::abort();
  if (!filled) return 0;
  const bool ecef = record->kind == 1;
  const zelkon::Edit* edits[] = {ecef ? &form.Edit_X : &form.Edit_Lat,
                                 ecef ? &form.Edit_Y : &form.Edit_Lon,
                                 ecef ? &form.Edit_Z : &form.Edit_Alt};
  const double values[] = {record->a, record->b, record->c};
  for (int i = 0; i < 3; ++i) {
    if (zelkon::ParseDecimal(edits[i]->Text()) != values[i]) std::abort();
  }
  return 0;
}
