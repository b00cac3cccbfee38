#include "core/application.h"

#include "core/main_menu.h"
#include "core/poll_loop.h"
#include "core/port_setup.h"
#include "link/posix_serial_port.h"
#include "transfer/position_transfer.h"
#include "transfer/time_transfer.h"
#include "views/monitoring_windows.h"

namespace zelkon {

const char* ProgramVersion() { return ZELKON_VERSION; }

Application::Application(const Platform& platform)
    : clock(platform.clock),
      dialogs(platform.dialogs),
      settings(platform.settings),
      systemTime(platform.systemTime),
      channel(platform.port, state.ReceivedByteCount, state.TransferCaptureFlag),
      uiThread_(std::this_thread::get_id()) {
  Form_Main.Timer_RXBIN.OnTimer = [this] { PollTick(*this); };
  Form_Main.TimerBreak.OnTimer = [this] { TimerBreakTick(*this); };
  WireMainWindow(*this);
  WireSatelliteWindows(*this);
  WireInfoWindows(*this);
  WireInitialPositionWindow(*this);
  WireInitialTimeWindow(*this);
  Form_About.Button_OK.OnClick = [this] { Form_About.Close(); };
}

Application::~Application() { MainFormClose(); }

bool Application::MainFormCreate() {
  const std::string path =
      state.DevicePath.empty() ? ComPortPath(state.ComPortNumber) : state.DevicePath;
  if (channel.OpenChannel(path) != 0) {
    dialogs.MessageBox("Could not initialize " + state.PortLabel() + ".", "Serial Port Error",
                       Buttons::Ok, Icon::None);
    return false;
  }
  Form_Main.Panel_Serial.SetCaption(state.PortLabel() + " 9600, 8-Odd-1");
  state.BreakCountdown = 0;
  Title = state.DevicePath.empty() ? std::to_string(state.ComPortNumber) + " Zelkon"
                                   : state.DevicePath + " Zelkon";
  state.LinkReady = true;
  state.StartupCountdown = 5;
  Form_Main.TimerBreak.SetEnabled(true);
  if (state.EngineeringMode) {
    Form_Main.ViewDiagnostics.SetVisible(true);
    Form_Main.ViewTestModes.SetVisible(true);
  }
  return true;
}

void Application::MainFormClose() {
  Form_Main.Timer_RXBIN.SetEnabled(false);
  Form_Main.TimerBreak.SetEnabled(false);
  channel.CloseChannel();
  if (state.RecordingFile != nullptr) {
    std::fclose(state.RecordingFile);
    state.RecordingFile = nullptr;
    state.RecordingActive = false;
  }
}

void Application::SendCommand(int length, const uint8_t* bytes) {
  if (!state.LinkReady) return;
  clock.SleepMs(kSendWaitMs);
  if (OnUiThread()) {
    Form_Main.Shape_TxLED.SetBrushColor(colours::kGreen);
  } else {
    ui.Post([this] { Form_Main.Shape_TxLED.SetBrushColor(colours::kGreen); });
  }
  channel.FramePacket(length, bytes);
}

std::vector<Form*> Application::Forms() {
  return {&Form_Main,      &Form_Track,     &Form_RawMeas,     &Form_EphemStat,   &Form_Product,
          &Form_VelPos,    &Form_AddTiming, &Form_InitialPos,  &Form_InitialTime, &Form_Altitude,
          &Form_TimingOut, &Form_Serial,    &Form_PacketMasks, &Form_Diagnostics};
}

std::vector<Timer*> Application::Timers() {
  std::vector<Timer*> timers;
  for (Form* form : Forms()) {
    for (Control* control : form->Controls()) {
      if (control->Kind() == ControlKind::Timer) timers.push_back(static_cast<Timer*>(control));
    }
  }
  return timers;
}

}  // namespace zelkon
