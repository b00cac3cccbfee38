// The receiver type: which menu items exist, whether the timing superpackets are polled, which
// controls of the setup windows can be used, and, for the two types that can feed an NTP server,
// the question whether they do.
#pragma once

namespace zelkon {

class Application;
class SettingsStore;

// Receiver types 1 to 5; any other number does nothing.
enum ReceiverType : int {
  kTypeT2K = 1,
  kTypeNetrel = 2,
  kTypeHarvane = 3,
  kTypeTpv2 = 4,
  kTypeVarnel = 5,
};

void ConfigureReceiverType(Application& app, int type);

// A receiver type a production report chose while the NTP question was still to be asked: it is
// configured once the question, shown after the packet loop, is answered. 0 when none waits. The
// application's Feature<PendingReceiverType>().
struct PendingReceiverType {
  int type = 0;
};

// The receiver type a production report names: configured at once, or, when the NTP question must
// still be asked, after the packet loop has finished feeding (a decoder never blocks).
void ReceiverTypeFromReport(Application& app, int type);

// The checked receiver type, or 0 before the first selection.
int CheckedReceiverType(Application& app);

// The persistent "NTP" setting: 1 the receiver feeds an NTP server (timing packets not polled),
// 0 it does not; -1 when it is missing, empty or not a number.
int ReadNtpSetting(SettingsStore& store);
// False when the store cannot be written.
bool WriteNtpSetting(SettingsStore& store, int value);

}  // namespace zelkon
