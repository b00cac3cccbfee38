// The GPS settings window: the receiver's navigation configuration, asked for with the 0xBB query
// and set with the 0xBB set form.
#pragma once

#include "base/setup_fields.h"
#include "commands/commands.h"

namespace zelkon {

class Application;
class TForm_GPS;

// The window as the 0xBB set form carries it: the list indices (the DGPS list's "Auto" as 3), the
// elevation mask converted to radians and the other values as typed. Nothing is clamped here; the
// edits clamp themselves when they are left.
WindowValues<ReceiverConfig> ReadReceiverConfig(const TForm_GPS& form);
// Fills the window from a 0xBB report: the list items by code, the elevation mask in degrees and
// the other values with one decimal.
void ShowReceiverConfig(TForm_GPS& form, const ReceiverConfig& report);

// Connects the handlers of TForm_GPS.
void WireGpsSettingsWindow(Application& app, TForm_GPS& form);

}  // namespace zelkon
