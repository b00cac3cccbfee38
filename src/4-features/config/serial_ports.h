// The serial ports window: the settings of the receiver's ports A and B, asked for with the 0xBC
// query and set one port at a time with the 0xBC set form, the PC port following on request.
#pragma once

#include "base/setup_fields.h"
#include "link/port_settings.h"

namespace zelkon {

class Application;
struct SegmentReadback;
class TForm_Serial;

inline constexpr uint8_t kPortA = 0;
inline constexpr uint8_t kPortB = 1;

// The lists of one port (kPortA or kPortB) as the codes of the 0xBC set form. Every list counts,
// the protocol lists too: a protocol sent as 0 would leave the port without one.
WindowValues<PortSettings> ReadPortSettings(const TForm_Serial& form, uint8_t port);
// Fills the lists of the port a 0xBC report names (0 port A, any other value port B) from its
// codes: a baud, parity or stop-bits code the list has no item for leaves the list without a
// selection, a data-bits code leaves the list as it was, and a protocol code shows "unknown". The
// port's parity code is kept for the segment check.
void ShowPortConfig(TForm_Serial& form, SegmentReadback& readback, const PortSettings& report);

// Connects the handlers of TForm_Serial.
void WireSerialPortsWindow(Application& app, TForm_Serial& form);

}  // namespace zelkon
