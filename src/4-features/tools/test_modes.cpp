#include "tools/test_modes.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "base/application.h"
#include "main/main_form.h"
#include "text/printf.h"
#include "tools/test_modes_form.h"

namespace zelkon {
namespace {

// Reads the fields of one command in order; the first that holds no value keeps its warning.
class TestFieldReader {
 public:
  // A whole number within [low, high] ("%u", "%lu", "%d": leading blanks and a sign allowed, what
  // follows the digits ignored).
  int64_t Whole(const Edit& edit, const char* label, int64_t low, int64_t high) {
    const char* start = edit.Text().c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start) return Refuse(Printf("%s is not a number.", label));
    if (errno == ERANGE || value < low || value > high) {
      return Refuse(Printf("%s must be from %lld to %lld.", label, static_cast<long long>(low),
                           static_cast<long long>(high)));
    }
    return value;
  }
  // A number as "%f" reads it, within the range of a single.
  float Single(const Edit& edit, const char* label) {
    const char* start = edit.Text().c_str();
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(start, &end);
    if (end == start) return static_cast<float>(Refuse(Printf("%s is not a number.", label)));
    if (errno == ERANGE && value != 0.0f) {
      return static_cast<float>(Refuse(Printf("%s is too large for the receiver.", label)));
    }
    return value;
  }
  const std::string& Warning() const { return warning_; }

 private:
  int64_t Refuse(const std::string& warning) {
    if (warning_.empty()) warning_ = warning;
    return 0;
  }
  std::string warning_;
};

constexpr int64_t kU16 = std::numeric_limits<uint16_t>::max();
constexpr int64_t kU32 = std::numeric_limits<uint32_t>::max();
constexpr int64_t kI16Low = std::numeric_limits<int16_t>::min();
constexpr int64_t kI16High = std::numeric_limits<int16_t>::max();

void Warn(Application& app, const std::string& warning) {
  app.dialogs.MessageBox(warning, "Warning", Buttons::Ok, Icon::Exclamation);
}

}  // namespace

TestModeValues ReadUserTime(const TForm_Test& form) {
  TestFieldReader read;
  const int64_t week = read.Whole(form.Edit_Week, "Week Number", 0, kU16);
  const int64_t timeOfWeek = read.Whole(form.Edit_TOW, "TOW", 0, kU32);
  TestModeValues values;
  values.warning = read.Warning();
  if (values.warning.empty()) {
    values.week = static_cast<int>(week);
    values.timeOfWeek = static_cast<uint32_t>(timeOfWeek);
  }
  return values;
}

TestModeValues ReadTestUtcParams(const TForm_Test& form) {
  TestFieldReader read;
  TestUtcParams utc;
  // In the order the window reads them, so the first field without a value is the one named.
  utc.a0 = read.Single(form.Edit_A_0, "A_0");
  utc.a1 = read.Single(form.Edit_A_1, "A_1");
  utc.deltaTls = static_cast<int>(read.Whole(form.Edit_t_LS, "delta_t_LS", kI16Low, kI16High));
  utc.tot = static_cast<uint32_t>(read.Whole(form.Edit_t_ot, "t_ot", 0, kU32));
  utc.wnT = static_cast<int>(read.Whole(form.Edit_WN_t, "WN_t", 0, kU16));
  utc.wnLsf = static_cast<int>(read.Whole(form.Edit_WN_LSF, "WN_LSF", 0, kU16));
  utc.dn = static_cast<int>(read.Whole(form.Edit_DN, "DN", 0, kU16));
  utc.deltaTlsf = static_cast<int>(read.Whole(form.Edit_t_LSF, "delta_t_LSF", kI16Low, kI16High));
  TestModeValues values;
  values.warning = read.Warning();
  if (values.warning.empty()) values.utc = utc;
  return values;
}

void WireTestWindow(Application& app, TForm_Test& form) {
  form.Button_SetWeek.OnClick = [&app, &form] {
    const TestModeValues values = ReadUserTime(form);
    if (!values.warning.empty()) return Warn(app, values.warning);
    SendUserTime(app, *values.week, *values.timeOfWeek);
  };
  form.Button_SetUTC.OnClick = [&app, &form] {
    const TestModeValues values = ReadTestUtcParams(form);
    if (!values.warning.empty()) return Warn(app, values.warning);
    SendTestUtcParams(app, *values.utc);
  };
  form.Button_EndTest.OnClick = [&app] { SendExitTestMode(app); };
  // The receiver stays in whatever mode it was put.
  form.Button_Close.OnClick = [&form] { form.Close(); };
  app.Window<TForm_Main>().ViewTestModes.OnClick = [&app, &form] {
    if (app.state.EngineeringMode) form.Show();
  };
}

}  // namespace zelkon
