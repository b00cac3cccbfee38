#include "main/main_display.h"

#include "base/application.h"
#include "main/main_form.h"
#include "text/time_format.h"

namespace zelkon {
namespace {

void ClearLeds(TForm_Main& f) {
  f.Shape_PPS.SetBrushColor(colours::kGrey);
  for (Shape* led : f.AlarmLeds())
    led->SetBrushColor(colours::kGrey);
}

}  // namespace

void ClearMainDisplay(Application& app, bool withSatelliteRows) {
  app.ReadAndDispatchReports();
  TForm_Main& f = app.Window<TForm_Main>();

  for (Panel* panel :
       {&f.Panel_Time, &f.Panel_Date, &f.Panel_UTCOffset, &f.Panel_TOW, &f.Panel_WeekNum,
        &f.Panel_Mode, &f.Panel_Status, &f.Panel_Latitude, &f.Panel_Longitude, &f.Panel_Altitude}) {
    panel->SetCaption("");
  }
  for (Panel* panel :
       {&f.Panel_PPSOffset, &f.Panel_10MHz, &f.Panel_Quantization, &f.Panel_SelfSurvey}) {
    panel->SetCaption("");
    panel->SetColor(colours::kWindow);
  }
  ClearLeds(f);

  if (!withSatelliteRows) return;
  for (size_t i = 0; i < f.Panel_SV.size(); ++i) {
    f.Panel_SV[i].SetCaption("0");
    f.Panel_SV[i].SetColor(colours::kWindow);
    f.Panel_AMU[i].SetCaption("0.0");
    f.Panel_AMU[i].SetColor(colours::kWindow);
  }
}

void GreyTimingPanels(Application& app) {
  TForm_Main& f = app.Window<TForm_Main>();
  for (Panel* panel :
       {&f.Panel_SelfSurvey, &f.Panel_PPSOffset, &f.Panel_10MHz, &f.Panel_Quantization}) {
    panel->SetCaption("");
    panel->SetColor(colours::kButtonFace);
  }
  ClearLeds(f);
}

bool MainShowsTimingPackets(Application& app) {
  return app.state.Replaying || app.Window<TForm_Main>().ControlPollingTimingPkts.Checked();
}

bool MainShowsTimeReports(Application& app) {
  return app.state.Replaying || !app.Window<TForm_Main>().ControlPollingTimingPkts.Checked();
}

void FormatLatLon(Application& app, double latitudeDeg, double longitudeDeg) {
  TForm_Main& f = app.Window<TForm_Main>();
  const bool dms = app.state.LatLonDegMin;
  f.Panel_Latitude.SetCaption(LatLonText(latitudeDeg, dms));
  f.Panel_Longitude.SetCaption(LatLonText(longitudeDeg, dms));
}

void FormatWeekTime(float seconds, Panel& panel, bool timeOnly) {
  panel.SetCaption(WeekTimeText(seconds, timeOnly));
}

void FormatTimeOfDay(double seconds, Panel& panel) { panel.SetCaption(TimeOfDayText(seconds)); }

void FormatGpsDate(double gpsSeconds, Panel& panel) { panel.SetCaption(GpsDateText(gpsSeconds)); }

}  // namespace zelkon
