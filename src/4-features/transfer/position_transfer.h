// Positions between PC and receiver: an accurate position typed in or read from a position file
// and sent, and the receiver's position saved to such a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelkon {

class Application;
class TForm_InitialPos;

// One record of a position data file: kind 0 latitude and longitude (degrees) and altitude
// (metres); kind 1 X, Y, Z (metres).
struct PositionRecord {
  int kind = 0;
  double a = 0;
  double b = 0;
  double c = 0;
};

// The most a position file holds: one record and some white space; a longer file is not one.
inline constexpr size_t kPositionFileMaxBytes = 4096;

// Reads the record of a position file: the kind (0 or 1) and three numbers, separated by white
// space and optionally surrounded by it (a line end after the record is usual). Each of the four
// must be wholly one number, and nothing may follow them: a fifth value means a file of some other
// kind, and taking its first four would send a position the file may not mean. Nothing for any
// other text, for "nan" or "inf", and for a text longer than kPositionFileMaxBytes.
std::optional<PositionRecord> ParsePositionRecord(std::string_view text);
// Kind 0 with latitude and longitude to 9 decimals (a tenth of a millimetre) and the altitude to
// 3 (a millimetre), single blanks between, no line end.
std::string FormatPositionRecord(double latitudeDeg, double longitudeDeg, double altitude);

// The warning naming the first value of a position that lies outside where an antenna can be
// ("Latitude must be between -90 and 90 degrees."); empty when the position is one.
std::string PositionOutOfRange(const PositionRecord& position);

// "Download Position": asked for by the menu, taken up by the next supplemental timing report.
// The application's Feature<PositionDownloadRequest>().
struct PositionDownloadRequest {
  bool pending = false;
};

// The download step of the supplemental timing decoder: when a download was asked for, the
// position (degrees, metres) of this report goes to a file the operator chooses in a dialog shown
// after the packet loop.
void PositionDownloadStep(Application& app, double latitudeDeg, double longitudeDeg,
                          double altitude);

// Connects the handlers of TForm_InitialPos.
void WireInitialPositionWindow(Application& app, TForm_InitialPos& form);

}  // namespace zelkon
