// The configuration segments: reverting one segment (or all) to the factory defaults with the
// PC port following when the serial ports go back to theirs, and the lamps of the segment status.
#pragma once

#include <cstdint>
#include <string>

namespace zelkon {

class Application;
class TForm_Default;
class TForm_EEPROM;

// The serial-port segment.
inline constexpr int kSerialPortSegment = 4;

// The segment number of an entry of TForm_Default's list (0 "Receiver Configuration" is segment 2
// ... 7 "UTC Info" segment 11, 8 "ALL SEGMENTS" 255); -1 for an index the list does not hold.
int SegmentOfEntry(int itemIndex);

// Sends the revert (0x8E-45). Reverting the serial ports, alone or with all segments, returns the
// receiver's ports to 9600 baud, 8 data bits, odd parity, 1 stop bit: after the pause the PC port
// moves there too, at once and without asking, and Panel_Serial says so.
void RevertSegment(Application& app, int segment);

// Paints each lamp from its bit of the 0x5F-11 status word: yellow when the segment was found
// corrupted and set to default, lime green otherwise.
void WriteSegmentStatus(TForm_EEPROM& form, uint16_t status);

// The segment status for the message log: "EEPROM Status at Reset: 0x0804", then one line per
// segment of the lamps, "Segment 2, Receiver Configuration: corrupted, set to default" for a set
// bit and "...: valid" for a clear one, each line ending in CR LF.
std::string SegmentStatusLines(uint16_t status);

// Connect the handlers of the two windows.
void WireDefaultSegmentWindow(Application& app, TForm_Default& form);
void WireEepromWindow(Application& app, TForm_EEPROM& form);

}  // namespace zelkon
