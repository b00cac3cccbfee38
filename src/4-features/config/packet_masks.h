// The packet-masks window and the Varnel port A output window: the I/O options (0x35 query and set
// form, answered by 0x55) and the packet broadcast mask (0x8E-A5, answered by 0x8F-A5), whose port
// A bits the Varnel window sets through the 0x8E-0B and 0x8E-AD option forms.
#pragma once

#include "base/setup_fields.h"
#include "reports/config.h"

namespace zelkon {

class Application;
class TForm_PacketMasks;
class TForm_VarnelPortAOut;

// The sixteen option boxes as the four 0x35 option bytes; bits without a box are 0.
IoOptions ReadIoOptions(const TForm_PacketMasks& form);
// Checks each option box from its byte and bit.
void ShowIoOptions(TForm_PacketMasks& form, const IoOptions& report);

// The twelve mask boxes as mask bytes 1 and 2; bits without a box are 0.
BroadcastMask ReadBroadcastMask(const TForm_PacketMasks& form);
// Checks each mask box from its mask byte and bit, and the port A choices of the other window.
void ShowBroadcastMask(TForm_PacketMasks& form, TForm_VarnelPortAOut& portA,
                       const BroadcastMask& report);

// The captions of the two position boxes follow the double-precision box: packets 42 and 4A when
// it is clear, 83 and 84 when it is checked. Eight boxes of the window share this handler.
void CheckBox_PosDoubleClick(TForm_PacketMasks& form);

// When port A sends 0x8F-0B and 0x8F-AD, as the option forms carry it: 0 only on request, 1 at
// the PPS, 2 at event inputs, 3 at both (bit 0 the PPS, bit 1 events).
struct PortAOutput {
  int comprehensive = 0;  // 0x8F-0B
  int utcTime = 0;        // 0x8F-AD
};

// The value of the chosen button of each panel; a panel without one is not set.
WindowValues<PortAOutput> ReadPortAOutput(const TForm_VarnelPortAOut& form);
// Chooses one button of each panel from mask 1: bits 0 (PPS) and 1 (events) for 0x8F-0B, bits 4
// and 5 for 0x8F-AD.
void WritePortAOutput(TForm_VarnelPortAOut& form, const BroadcastMask& report);

// Connect the handlers of the two windows.
void WirePacketMasksWindow(Application& app, TForm_PacketMasks& form);
void WireVarnelPortAOutWindow(Application& app, TForm_VarnelPortAOut& form);

}  // namespace zelkon
