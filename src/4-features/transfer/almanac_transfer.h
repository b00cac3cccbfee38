// The almanac transfers: the receiver's system data (the almanac of every satellite, the health
// page, the ionosphere and UTC parameters) into an almanac data file, and such a file back into a
// receiver, each step logged in TForm_Alm. Both run to their end inside the menu handler that
// starts them, with the poll timer stopped; command 0x38 goes out and report 0x58 comes back.
#pragma once

#include <string>

namespace zelkon {

class Application;
class TForm_Alm;

// The wait for the answer to one request or load. A receiver answers within a few hundred
// milliseconds (an answer of up to 259 bytes takes under 0.3 s at 9600 baud); an answer that has
// not come after this long is not coming.
inline constexpr int kSystemDataAnswerMs = 2000;
// While it waits, the transfer lets the windows repaint at least this often.
inline constexpr int kTransferRepaintMs = 50;
// The pause before each SV request of a download and before each block of an upload.
inline constexpr int kAlmanacBlockPauseMs = 100;
// Blocks of a complete download: the health page, 32 almanacs, ionosphere, UTC.
inline constexpr int kAlmanacDownloadBlocks = 35;

// Writes the file `fileName` (replacing it); true when every block was received and written.
bool DownloadAlmanac(Application& app, const std::string& fileName);
// Loads the blocks of `fileName` into the receiver; false when the file cannot be read or is
// refused (damaged, short, or a block with more data than a load command holds), in which case
// nothing is sent. Otherwise true, whatever the receiver answered.
bool UploadAlmanac(Application& app, const std::string& fileName);

// Connects the window's close and the main menu's "&Download Almanac..." and "&Upload Almanac...".
void WireAlmWindow(Application& app, TForm_Alm& form);

}  // namespace zelkon
