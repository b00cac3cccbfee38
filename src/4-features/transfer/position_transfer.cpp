#include "transfer/position_transfer.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "base/application.h"
#include "base/setup_fields.h"
#include "commands/commands.h"
#include "link/system_error.h"
#include "platform/file_read.h"
#include "text/angles.h"
#include "text/numbers.h"
#include "text/printf.h"
#include "text/time_format.h"
#include "transfer/initial_pos_form.h"

namespace zelkon {
namespace {

constexpr int kLlaKind = 0;
constexpr int kEcefKind = 1;

// One value of a position, the range it can take and its unit, for the warning that names it.
struct Bound {
  const char* name;
  Limits<double> limits;
  const char* unit;
};

// Where an antenna can be.
constexpr std::array<Bound, 3> kLlaBounds = {{
    {"Latitude", {-90, 90}, "degrees"},
    {"Longitude", {-180, 180}, "degrees"},
    {"Altitude", kAntennaAltitude, "meters"},
}};
// The antenna's heights as distances from the earth's centre: from the polar radius (6 356 752 m)
// less 1 km to the equatorial radius (6 378 137 m) plus 100 km. This refuses what no single
// coordinate shows: all three 0, kilometres typed for metres, a digit missing. No coordinate can
// lie farther out than the greatest distance, which each field is held to first, so the warning
// names it.
constexpr Limits<double> kEcefDistance = {6355000, 6480000};
constexpr std::array<Bound, 3> kEcefBounds = {{
    {"X", {-kEcefDistance.high, kEcefDistance.high}, "meters"},
    {"Y", {-kEcefDistance.high, kEcefDistance.high}, "meters"},
    {"Z", {-kEcefDistance.high, kEcefDistance.high}, "meters"},
}};

// "<name> must be between <low> and <high> <unit>." when `value` lies outside (or is no number).
std::string Outside(double value, const char* name, Limits<double> limits, const char* unit) {
  if (value >= limits.low && value <= limits.high) return {};
  return Printf("%s must be between %.0f and %.0f %s.", name, limits.low, limits.high, unit);
}

// The three edits of one panel as a position of `kind`. Each must hold one number and nothing
// else, read as a double; the warning names the first that does not by its place (latitude,
// longitude, altitude) whatever the panel. Then the position must be one an antenna can have.
WindowValues<PositionRecord> ReadPanel(int kind, const std::array<const Edit*, 3>& edits) {
  static constexpr std::array<const char*, 3> kNotANumber = {
      "Latitude must be a floating point number.",
      "Longitude must be a floating point number.",
      "Altitude must be a floating point number.",
  };
  std::array<double, 3> values{};
  for (size_t i = 0; i < edits.size(); ++i) {
    const std::optional<double> value = ParseDecimal(edits[i]->Text());
    if (!value) return {std::nullopt, kNotANumber[i]};
    values[i] = *value;
  }
  const PositionRecord position{kind, values[0], values[1], values[2]};
  std::string outside = PositionOutOfRange(position);
  if (!outside.empty()) return {std::nullopt, std::move(outside)};
  return {position, {}};
}

void SetLlaClick(Application& app) {
  TForm_InitialPos& form = app.Window<TForm_InitialPos>();
  SendOrWarn(app, ReadPanel(kLlaKind, {&form.Edit_Lat, &form.Edit_Lon, &form.Edit_Alt}),
             [&app](const PositionRecord& p) {
               // Radians in double; only the command's singles round.
               SendLlaPosition(app, static_cast<float>(p.a * RadiansPerDegree),
                               static_cast<float>(p.b * RadiansPerDegree), static_cast<float>(p.c));
             });
}

void SetEcefClick(Application& app) {
  TForm_InitialPos& form = app.Window<TForm_InitialPos>();
  SendOrWarn(app, ReadPanel(kEcefKind, {&form.Edit_X, &form.Edit_Y, &form.Edit_Z}),
             [&app](const PositionRecord& p) {
               SendEcefPosition(app, static_cast<float>(p.a), static_cast<float>(p.b),
                                static_cast<float>(p.c));
             });
}

// Reads a position file into the edits of its panel; nothing is sent.
void FromFileClick(Application& app) {
  const std::optional<std::string> path = app.dialogs.OpenFile(PositionFileDialog());
  if (!path) return;
  // One byte more than a record may have, so a longer file shows as one.
  const FileRead file = ReadRegularFile(*path, kPositionFileMaxBytes + 1);
  if (!file.Read()) {
    app.dialogs.MessageBoxWithDetail("Couldn't open position data file.", AsSentence(file.failure),
                                     "Error", Buttons::Ok, Icon::None);
    return;
  }
  const std::string text(file.bytes.begin(), file.bytes.end());
  const std::optional<PositionRecord> record = ParsePositionRecord(text);
  if (!record) {
    app.dialogs.MessageBox("Position data file format incorrect", "Error", Buttons::Ok, Icon::None);
    return;
  }
  const std::string outside = PositionOutOfRange(*record);
  if (!outside.empty()) {
    app.dialogs.MessageBox("Position data file out of range.\n\n" + outside, "Error", Buttons::Ok,
                           Icon::None);
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
  const std::optional<std::string> path = app.dialogs.SaveFile(PositionFileDialog());
  if (!path) return;
  std::FILE* file = OpenForWriting(*path);
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

std::string PositionOutOfRange(const PositionRecord& position) {
  const bool ecef = position.kind == kEcefKind;
  const std::array<double, 3> values = {position.a, position.b, position.c};
  for (size_t i = 0; i < values.size(); ++i) {
    const Bound& bound = (ecef ? kEcefBounds : kLlaBounds)[i];
    std::string outside = Outside(values[i], bound.name, bound.limits, bound.unit);
    if (!outside.empty()) return outside;
  }
  if (!ecef) return {};
  const double distance = std::hypot(position.a, position.b, position.c);
  if (distance >= kEcefDistance.low && distance <= kEcefDistance.high) return {};
  return Printf(
      "The distance of X, Y, Z from the center of the earth must be between %.0f and "
      "%.0f meters.",
      kEcefDistance.low, kEcefDistance.high);
}

std::string FormatPositionRecord(double latitudeDeg, double longitudeDeg, double altitude) {
  return Printf("%d %.9f %.9f %.3f", kLlaKind, latitudeDeg, longitudeDeg, altitude);
}

void PositionDownloadStep(Application& app, double latitudeDeg, double longitudeDeg,
                          double altitude) {
  bool& pending = app.Feature<PositionDownloadRequest>().pending;
  if (!pending) return;
  pending = false;
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
