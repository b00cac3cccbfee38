// The timing test modes window: reading its edits into the values of command 0x8E-A4, and its
// handlers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "commands/commands.h"

namespace zelkon {

class Application;
class TForm_Test;

// The fields of one command, or the warning naming the first that does not hold one number the
// field can carry ("DN must be a whole number from 0 to 65535."). Values are sent as typed: the
// hints' ranges (week 0 to 1023, day 1 to 7) are the receiver's to judge, but a value the field
// cannot carry is refused rather than cut to its width.
struct TestModeValues {
  std::optional<TestUtcParams> utc;
  std::optional<int> week;
  std::optional<uint32_t> timeOfWeek;
  std::string warning;
};
TestModeValues ReadUserTime(const TForm_Test& form);
TestModeValues ReadTestUtcParams(const TForm_Test& form);

// Connects the window's buttons, and the main window's "Test &Modes...", which opens it only in
// engineering mode.
void WireTestWindow(Application& app, TForm_Test& form);

}  // namespace zelkon
