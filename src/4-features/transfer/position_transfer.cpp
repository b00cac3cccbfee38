#include "transfer/position_transfer.h"

#include <array>
#include <cstdio>
#include <memory>

#include "base/application.h"
#include "commands/commands.h"
#include "text/numbers.h"
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
  // One byte more than a record may have, so a longer file shows as one.
  std::string text(kPositionFileMaxBytes + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file.get()));
  if (std::ferror(file.get())) {
    app.dialogs.MessageBox("Couldn't open position data file.", "Error", Buttons::Ok, Icon::None);
    return;
  }
  const std::optional<PositionRecord> record = ParsePositionRecord(text);
  if (!record) {
    app.dialogs.MessageBox("Position data file format incorrect", "Error", Buttons::Ok, Icon::None);
    return;
  }
  TForm_InitialPos& form = app.Window<TForm_InitialPos>();
  // The edits show the file's numbers exactly, so the Set button sends what the file holds.
  if (record->kind == kEcefKind) {
    form.Edit_X.SetText(DecimalText(record->a));
    form.Edit_Y.SetText(DecimalText(record->b));
    form.Edit_Z.SetText(DecimalText(record->c));
  } else {
    form.Edit_Lat.SetText(DecimalText(record->a));
    form.Edit_Lon.SetText(DecimalText(record->b));
    form.Edit_Alt.SetText(DecimalText(record->c));
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

std::optional<PositionRecord> ParsePositionRecord(std::string_view text) {
  if (text.size() > kPositionFileMaxBytes) return std::nullopt;
  // White space as the scan formats know it; a zero byte is not.
  constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
  std::array<std::string_view, 4> values;
  size_t count = 0;
  for (size_t at = text.find_first_not_of(kWhiteSpace); at != std::string_view::npos;) {
    if (count == values.size()) return std::nullopt;
    const size_t end = text.find_first_of(kWhiteSpace, at);
    values[count++] = text.substr(at, end - at);
    at = text.find_first_not_of(kWhiteSpace, end);
  }
  if (count != values.size()) return std::nullopt;
  const std::optional<int64_t> kind = ParseWhole(values[0]);
  if (kind != kLlaKind && kind != kEcefKind) return std::nullopt;
  const std::optional<double> a = ParseDecimal(values[1]);
  const std::optional<double> b = ParseDecimal(values[2]);
  const std::optional<double> c = ParseDecimal(values[3]);
  if (!a || !b || !c) return std::nullopt;
  return PositionRecord{static_cast<int>(*kind), *a, *b, *c};
}

std::string FormatPositionRecord(double latitudeDeg, double longitudeDeg, double altitude) {
  return Printf("%d %.9f %.9f %.3f", kLlaKind, latitudeDeg, longitudeDeg, altitude);
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
