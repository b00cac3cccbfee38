// Positions between PC and receiver: an accurate position typed in or read from a position file
// and sent, and the receiver's position saved to such a file.
#pragma once

#include <optional>
#include <string>

namespace zelkon {

class Application;
class TForm_InitialPos;

// One record of a position data file: kind 0 latitude and longitude (degrees) and altitude
// (metres); kind 1 X, Y, Z (metres).
struct PositionRecord {
  int kind = 0;
  float a = 0;
  float b = 0;
  float c = 0;
};

// Reads the record of a position file; nothing when the file cannot be read as one.
std::optional<PositionRecord> ParsePositionRecord(const std::string& text);
// "%d %.5f %.5f %.1f" with kind 0.
std::string FormatPositionRecord(double latitudeDeg, double longitudeDeg, double altitude);

// The download step of the supplemental timing decoder: when a download was asked for, the
// position (degrees, metres) of this report goes to a file the operator chooses in a dialog shown
// after the packet loop.
void PositionDownloadStep(Application& app, double latitudeDeg, double longitudeDeg,
                          double altitude);

// Connects the handlers of TForm_InitialPos.
void WireInitialPositionWindow(Application& app, TForm_InitialPos& form);

}  // namespace zelkon
