// The almanac transfers: the receiver's system data (the almanac of every satellite, the health
// page, the ionosphere and UTC parameters) into an almanac data file, and such a file back into a
// receiver, each step logged in TForm_Alm. Both run to their end inside the menu handler that
// starts them, with the poll timer stopped; command 0x38 goes out and report 0x58 comes back. The
// program's stop request (Application::StopRequested) ends either between two blocks, logged.
#pragma once

#include <cstddef>
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
// The largest file an upload reads: a complete download is under 10 KiB (35 blocks of at most 259
// bytes), so a file beyond this is not an almanac data file and is refused unread.
inline constexpr size_t kAlmanacFileMaxBytes = 1024 * 1024;

// Writes the file `fileName` (replacing it); true when every block was received and written.
bool DownloadAlmanac(Application& app, const std::string& fileName);
// Loads the blocks of `fileName` into the receiver; false when the file cannot be read or is
// refused (not a regular file, larger than kAlmanacFileMaxBytes, without any block, damaged,
// short, or a block with more data than a load command holds), in which case nothing is sent.
// Otherwise true, whatever the receiver answered; false too when the program's stop request ended
// it between two blocks.
bool UploadAlmanac(Application& app, const std::string& fileName);

// Connects the window's close and the main menu's "&Download Almanac..." and "&Upload Almanac...".
void WireAlmWindow(Application& app, TForm_Alm& form);

}  // namespace zelkon
