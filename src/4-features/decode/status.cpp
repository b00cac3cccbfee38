// Status, satellite and measurement reports: receiver health, the raw measurement and the
// ephemeris status of one satellite, the tracking status of one channel and the satellite
// selection, and the upkeep of the main window's twelve-channel satellite display.
#include <cstdlib>
#include <string>

#include "base/application.h"
#include "decode/status.h"
#include "main/main_display.h"
#include "main/main_form.h"
#include "text/angles.h"
#include "text/printf.h"
#include "views/track_form.h"

namespace zelkon {
namespace {

// Poll rounds a channel's row stays without a tracking report.
constexpr int32_t kTrackRounds = 5;

// The 0x46 status code in words; codes the receiver does not define give an empty text. The
// wording is this report's own and differs from the supplemental timing report's.
const char* HealthText(int code) {
  switch (code) {
    case 0:
      return "Doing Fixes";
    case 1:
      return "Don't have GPS time";
    case 2:
      return "Need initialization";
    case 3:
      return "PDOP too high";
    case 8:
      return "No usable satellites";
    case 9:
      return "Only 1 usable SV";
    case 10:
      return "Only 2 usable SVs";
    case 11:
      return "Only 3 usable SVs";
    case 12:
      return "Choosen SV is unusable";
    default:
      return "";
  }
}

}  // namespace

// Report 0x4B is accepted and deliberately not shown.
void ShowHealth(Application& app, const Health& r) {
  TForm_Main& main = app.Window<TForm_Main>();
  // While the timing superpackets are polled, the supplemental timing report owns the status.
  if (!MainShowsTimeReports(app)) return;
  main.Panel_Status.SetCaption(HealthText(r.status));
  main.Panel_ModeAndStatus.SetHint("Mode and Status: Packets 0x46, 8F-0B");
}

void ShowTrackingStatus(Application& app, const TrackingStatus& r) {
  const int channel = r.Channel();
  if (channel >= kChannelCount) return;  // no row for it
  const auto row = static_cast<size_t>(channel);
  app.state.TrackCountdown[row] = kTrackRounds;

  const int prn = r.prn;
  const double elevation = r.elevation * DegreesPerRadian;
  const double azimuth = r.azimuth * DegreesPerRadian;
  // Fixed-width columns under the window's headings SV, Chan, Acq, Eph, AMU, Time, Elev, Azim.
  app.Window<TForm_Track>().Panel_TS[row].SetCaption(
      Printf("%3d%4d%5d%4d%8.1f%10.1f%6.1f%7.1f", prn, channel + 1, r.acquisition, r.ephemeris,
             r.signalLevel, r.lastMeasurement, elevation, azimuth));

  TForm_Main& main = app.Window<TForm_Main>();
  Panel& svPanel = main.Panel_SV[row];
  svPanel.SetCaption(Printf("%2d", prn));
  main.Panel_AMU[row].SetCaption(Printf("%5.1f", r.signalLevel));
  ColourSvPanel(app, prn, svPanel);
}

void ColourSvPanel(Application& app, int prn, Panel& panel) {
  Colour colour = colours::kWindow;
  if (prn != 0) {
    for (const int32_t selected : app.state.SelectedSVs) {
      if (std::abs(selected) != prn) continue;
      colour = selected < 0 ? colours::kYellow : colours::kGreen;
      break;
    }
  }
  panel.SetColor(colour);
}

void ShowSatelliteSelection(Application& app, const SatelliteSelection& r) {
  TForm_Track& track = app.Window<TForm_Track>();
  track.Panel_PDOP.SetCaption(Printf("%.1f", r.pdop));
  track.Panel_HDOP.SetCaption(Printf("%.1f", r.hdop));
  track.Panel_VDOP.SetCaption(Printf("%.1f", r.vdop));
  track.Panel_TDOP.SetCaption(Printf("%.1f", r.tdop));

  // The list shows every PRN the report carries; the colouring keeps the first twelve. A
  // negative PRN is a satellite the receiver excludes.
  app.state.SelectedSVs.fill(0);
  std::string list;
  for (size_t i = 0; i < r.prns.size(); ++i) {
    const int prn = r.prns[i];
    if (i < kChannelCount) app.state.SelectedSVs[i] = prn;
    list += Printf("%4d", prn);
  }
  track.Panel_SVSel.SetCaption(list);
}

void ExpireTrackingChannels(Application& app) {
  for (size_t channel = 0; channel < kChannelCount; ++channel) {
    int32_t& countdown = app.state.TrackCountdown[channel];
    if (countdown <= 0 || --countdown > 0) continue;
    app.Window<TForm_Track>().Panel_TS[channel].SetCaption("");
    app.Window<TForm_Main>().Panel_SV[channel].SetCaption("0");
    app.Window<TForm_Main>().Panel_SV[channel].SetColor(colours::kWindow);
    app.Window<TForm_Main>().Panel_AMU[channel].SetCaption("0.0");
  }
}

}  // namespace zelkon
