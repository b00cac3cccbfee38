#include "transfer/position_transfer.h"

#include <array>
#include <cstdio>
#include <memory>

#include "base/application.h"
#include "commands/commands.h"
#include "text/printf.h"
#include "text/time_format.h"
#include "transfer/initial_pos_form.h"

namespace zelkon {
namespace {

constexpr int kLlaKind = 0;
constexpr int kEcefKind = 1;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A record with all four values read and a kind this program knows.
std::optional<PositionRecord> Accepted(int fieldsRead, const PositionRecord& record) {
  if (fieldsRead != 4) return std::nullopt;
  if (record.kind != kLlaKind && record.kind != kEcefKind) return std::nullopt;
  return record;
}

// The three edits of one panel, each read with "%f"; the warning names the first one that does
// not read as a number, by its place (latitude, longitude, altitude) whatever the panel.
std::optional<std::array<float, 3>> ReadThreeFields(Application& app,
                                                    const std::array<const Edit*, 3>& edits) {
  static constexpr std::array<const char*, 3> kWarnings = {
      "Latitude must be a floating point number.",
      "Longitude must be a floating point number.",
      "Altitude must be a floating point number.",
  };
  std::array<float, 3> values{};
  for (size_t i = 0; i < edits.size(); ++i) {
    if (std::sscanf(edits[i]->Text().c_str(), "%f", &values[i]) != 1) {
      app.dialogs.MessageBox(kWarnings[i], "Warning", Buttons::Ok, Icon::Exclamation);
      return std::nullopt;
    }
  }
  return values;
}

void SetLlaClick(Application& app) {
  TForm_InitialPos& form = app.Window<TForm_InitialPos>();
  const auto values = ReadThreeFields(app, {&form.Edit_Lat, &form.Edit_Lon, &form.Edit_Alt});
  if (!values) return;
  const auto [latitude, longitude, altitude] = *values;
  SendLlaPosition(app, static_cast<float>(latitude * RadiansPerDegree),
                  static_cast<float>(longitude * RadiansPerDegree), altitude);
}

void SetEcefClick(Application& app) {
  TForm_InitialPos& form = app.Window<TForm_InitialPos>();
  const auto values = ReadThreeFields(app, {&form.Edit_X, &form.Edit_Y, &form.Edit_Z});
  if (!values) return;
  const auto [x, y, z] = *values;
  SendEcefPosition(app, x, y, z);
}

// Reads a position file into the edits of its panel; nothing is sent.
void FromFileClick(Application& app) {
  const std::optional<std::string> path = app.dialogs.OpenFile(PositionFileDialog());
  if (!path) return;
  const File file(std::fopen(path->c_str(), "r"));
  if (!file) {
    app.dialogs.MessageBox("Couldn't open position data file.", "Error", Buttons::Ok, Icon::None);
    return;
  }
  PositionRecord r;
  const std::optional<PositionRecord> record =
      Accepted(std::fscanf(file.get(), "%d%f%f%f", &r.kind, &r.a, &r.b, &r.c), r);
  if (!record) {
    app.dialogs.MessageBox("Position data file format incorrect", "Error", Buttons::Ok, Icon::None);
    return;
  }
  TForm_InitialPos& form = app.Window<TForm_InitialPos>();
  if (record->kind == kEcefKind) {
    form.Edit_X.SetText(Printf("%.2f", record->a));
    form.Edit_Y.SetText(Printf("%.2f", record->b));
    form.Edit_Z.SetText(Printf("%.2f", record->c));
  } else {
    form.Edit_Lat.SetText(Printf("%.3f", record->a));
    form.Edit_Lon.SetText(Printf("%.3f", record->b));
    form.Edit_Alt.SetText(Printf("%.1f", record->c));
  }
}

// Asks for the file, writes the position into it and says how that went.
void SavePosition(Application& app, double latitudeDeg, double longitudeDeg, double altitude) {
  const std::optional<std::string> path = app.dialogs.OpenFile(PositionFileDialog());
  if (!path) return;
  std::FILE* file = std::fopen(path->c_str(), "w");
  if (file == nullptr) {
    app.dialogs.MessageBox("Unable to open data file.", "Error", Buttons::Ok, Icon::Exclamation);
    return;
  }
  const std::string record = FormatPositionRecord(latitudeDeg, longitudeDeg, altitude);
  const bool written = std::fputs(record.c_str(), file) >= 0;
  // Closing flushes: a full disk shows only here.
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    app.dialogs.MessageBox("Unable to write data file.", "Error", Buttons::Ok, Icon::Exclamation);
    return;
  }
  app.dialogs.MessageBox(Printf("Position successfully downloaded.\n\nLat: %.5f\nLon: %.5f\nAlt: "
                                "%.1f",
                                latitudeDeg, longitudeDeg, altitude),
                         "Success", Buttons::Ok, Icon::None);
}

}  // namespace

std::optional<PositionRecord> ParsePositionRecord(const std::string& text) {
  PositionRecord r;
  return Accepted(std::sscanf(text.c_str(), "%d%f%f%f", &r.kind, &r.a, &r.b, &r.c), r);
}

std::string FormatPositionRecord(double latitudeDeg, double longitudeDeg, double altitude) {
  return Printf("%d %.5f %.5f %.1f", kLlaKind, latitudeDeg, longitudeDeg, altitude);
}

void PositionDownloadStep(Application& app, double latitudeDeg, double longitudeDeg,
                          double altitude) {
  if (!app.state.PositionDownloadPending) return;
  app.state.PositionDownloadPending = false;
  app.AfterPacketLoop([&app, latitudeDeg, longitudeDeg, altitude] {
    SavePosition(app, latitudeDeg, longitudeDeg, altitude);
  });
}

void WireInitialPositionWindow(Application& app, TForm_InitialPos& form) {
  form.Button_SetLLA.OnClick = [&app] { SetLlaClick(app); };
  form.Button_SetECEF.OnClick = [&app] { SetEcefClick(app); };
  form.Button_File.OnClick = [&app] { FromFileClick(app); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
