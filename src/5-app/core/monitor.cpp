#include "core/monitor.h"

#include "commands/command_names.h"
#include "core/dispatcher.h"
#include "core/link_watch.h"
#include "core/poll_loop.h"
#include "core/port_setup.h"
#include "link/posix_serial_port.h"
#include "link/remote_address.h"
#include "link/system_error.h"
#include "transfer/recording.h"

namespace zelkon {
namespace {

// The opener's click shows the window.
void ShowOnClick(TForm_Main& main, MenuItem TForm_Main::*opener, Form& window) {
  if (opener != nullptr) (main.*opener).OnClick = [&window] { window.Show(); };
}

// A command that changes the receiver, sent by a click of the operator, goes to the message log
// with the window it came from: "Packet Masks and Options: sent packet broadcast mask (0x8E-A5):
// 8E A5 02 80 00 00". Queries, and what the program sends on its own, are not logged.
void LogUserCommand(Monitor& app, std::span<const uint8_t> packet) {
  const Form* window = UserActionWindow();
  if (window == nullptr) return;
  const std::optional<std::string> description = CommandDescription(packet);
  if (description) MessageLogLine(app, window->Caption() + ": sent " + *description);
}

}  // namespace

Monitor::Monitor(const Platform& platform) : Application(platform) {
#define ZELKON_REGISTER(Class, member, ...) RegisterWindow(typeid(Class), member);
  ZELKON_WINDOWS(ZELKON_REGISTER)
#undef ZELKON_REGISTER
  RegisterFeature(typeid(PacketRecording), &recording);
  RegisterFeature(typeid(TimeToPcRequest), &timeToPc);
  RegisterFeature(typeid(PositionDownloadRequest), &positionDownload);
  RegisterFeature(typeid(PendingReceiverType), &pendingReceiverType);
  RegisterFeature(typeid(MessageLogFile), &messageLogFile);
  RegisterFeature(typeid(ReceiverEvents), &receiverEvents);
  RegisterFeature(typeid(ReferenceClocks), &referenceClocks);

  Form_Main.Timer_RXBIN.OnTimer = [this] { PollTick(*this); };
  Form_Main.TimerBreak.OnTimer = [this] { TimerBreakTick(*this); };

#define ZELKON_CONNECT(Class, member, opener, wire) \
  ShowOnClick(Form_Main, opener, member);           \
  wire(*this, member);
  ZELKON_WINDOWS(ZELKON_CONNECT)
#undef ZELKON_CONNECT
}

Monitor::~Monitor() {
  // A segment check still running is stopped and joined before the port closes.
  segmentCheckWorker = {};
  MainFormClose();
}

bool Monitor::MainFormCreate() {
  if (!OpenPort() && IsRemotePortName(state.DevicePath) && !state.Replaying) {
    StartWithPortLost(*this);
  } else if (!channel.IsOpen()) {
    // The system's reason goes under the box's own line: "No such file or directory."
    dialogs.MessageBoxWithDetail("Could not initialize " + state.PortLabel() + ".",
                                 AsSentence(channel.OpenFailure()), "Serial Port Error",
                                 Buttons::Ok, Icon::None);
    return false;
  }
  Title = state.DevicePath.empty() ? std::to_string(state.ComPortNumber) + " Zelkon"
                                   : state.DevicePath + " Zelkon";
  if (state.EngineeringMode) {
    Form_Main.ViewDiagnostics.SetVisible(true);
    Form_Main.ViewTestModes.SetVisible(true);
  }
  return true;
}

bool Monitor::OpenPort() {
  const std::string path =
      state.DevicePath.empty() ? ComPortPath(state.ComPortNumber) : state.DevicePath;
  if (channel.OpenChannel(path) != 0) return false;
  Form_Main.Panel_Serial.SetCaption(state.Replaying ? state.ReplayLabel()
                                                    : state.PortLabel() + " 9600, 8-Odd-1");
  polling.BreakCountdown = 0;
  state.LinkReady = true;
  polling.StartupCountdown = kStartupCountdownStart;
  Form_Main.Timer_RXBIN.SetEnabled(false);
  Form_Main.TimerBreak.SetEnabled(true);
  return true;
}

void Monitor::MainFormClose() {
  Form_Main.Timer_RXBIN.SetEnabled(false);
  Form_Main.TimerBreak.SetEnabled(false);
  channel.CloseChannel();
  CloseRecording(*this);
}

void Monitor::SendCommand(std::span<const uint8_t> packet) {
  if (!state.LinkReady) return;
  if (!state.Replaying) clock.SleepMs(kSendWaitMs);
  WriteCommand(packet);
}

void Monitor::SendCommandUnlessStopped(const std::stop_token& stop,
                                       std::span<const uint8_t> packet) {
  if (!state.LinkReady) return;
  if (!state.Replaying && !clock.SleepUnlessStopped(kSendWaitMs, stop)) return;
  WriteCommand(packet);
}

void Monitor::WriteCommand(std::span<const uint8_t> packet) {
  if (state.Replaying) {
    // No receiver waits for it and nothing is sent: no pause, no Tx LED. The recording's port
    // swallows the frame (and says once that commands go nowhere).
    channel.FramePacket(packet);
    return;
  }
  if (OnUiThread()) {
    Form_Main.Shape_TxLED.SetBrushColor(colours::kGreen);
    LogUserCommand(*this, packet);
  } else {
    ui.Post([this] { Form_Main.Shape_TxLED.SetBrushColor(colours::kGreen); });
  }
  channel.FramePacket(packet);
}

void Monitor::ReadAndDispatchReports() {
  channel.ReadAndDispatch([this](const PacketReceiver& r) { ReportDispatcher(*this, r); }, false);
}

std::vector<Timer*> Monitor::Timers() {
  std::vector<Timer*> timers;
  for (Form* form : Forms()) {
    for (Control* control : form->Controls()) {
      if (control->Kind() == ControlKind::Timer) timers.push_back(static_cast<Timer*>(control));
    }
  }
  return timers;
}

}  // namespace zelkon
