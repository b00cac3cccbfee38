// Reading a setup window into the values of its command.
//
// A setup window shows what the receiver last reported; before its first report its lists have no
// selection and its edits hold no number. An edit may also hold a text the operator is still
// typing, or a value beyond what the field means. Sent as they are, such fields would reach the
// receiver as the byte 0xFF, as the part of the text that looked like a number ("95x" as 95), or
// cut to the field's width ("-5" as 251), and a port could lose its protocol. So a window is read
// field by field in window order, each edit must hold one number of its field's kind within its
// limits, and the first field that does not stops the command: the window then says which field it
// is and what it may hold, and sends nothing.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zelkon {

class Application;
class ComboBox;
class Edit;

// The values a setup window holds for one command, or the warning that names the first field that
// holds none ("Receiver Mode is not set.", "PDOP Mask must be a number from 0 to 50.").
template <class T>
struct WindowValues {
  std::optional<T> values;
  std::string warning;
};

// The least and greatest value a field takes, both included.
template <class T>
struct Limits {
  T low;
  T high;
};

// What a single- or double-precision field can carry.
inline constexpr Limits<float> kAnySingle{-std::numeric_limits<float>::max(),
                                          std::numeric_limits<float>::max()};
inline constexpr Limits<double> kAnyDouble{-std::numeric_limits<double>::max(),
                                           std::numeric_limits<double>::max()};
// What an unsigned 8-, 16- or 32-bit field and a signed 16-bit field can carry.
inline constexpr Limits<int64_t> kU8{0, std::numeric_limits<uint8_t>::max()};
inline constexpr Limits<int64_t> kU16{0, std::numeric_limits<uint16_t>::max()};
inline constexpr Limits<int64_t> kU32{0, std::numeric_limits<uint32_t>::max()};
inline constexpr Limits<int64_t> kI16{std::numeric_limits<int16_t>::min(),
                                      std::numeric_limits<int16_t>::max()};

// The heights an antenna can be at, in metres above the ellipsoid or sea level. The lowest land,
// the Dead Sea shore, lies about 430 m below sea level; the highest summits are under 9 km;
// aircraft and balloons stay below about 50 km; heights above the ellipsoid and above sea level
// differ by at most about 110 m. So -1 km to 100 km holds every real antenna with a wide margin and
// refuses a slip such as a digit too many.
inline constexpr Limits<double> kAntennaAltitude{-1000, 100000};

// Numbers read from an edit with the scan formats of the windows: what a leading number of the
// text gives, nothing when the text does not begin with one. The clamps of the edits use them.
std::optional<float> ScanSingle(const std::string& text);  // "%f"
std::optional<int> ScanInt(const std::string& text);       // "%d"

// Reads the fields of one window in window order and keeps the warning of the first field that
// holds no value. Such a field reads as 0, which is never sent.
class FieldReader {
 public:
  // The item index of a list; "<label> is not set." when nothing is selected.
  int Selected(const ComboBox& list, std::string_view label);
  // A group of choices with none chosen: "<label> is not set.".
  void NotSet(std::string_view label);
  // An edit that holds one number within `limits`: a single-precision value (compared with the
  // limits as a single), a double, or a whole number. Otherwise "<label> must be a number from
  // <low> to <high>." ("a whole number" for the last).
  float Single(const Edit& edit, std::string_view label, Limits<float> limits = kAnySingle);
  double Double(const Edit& edit, std::string_view label, Limits<double> limits = kAnyDouble);
  int64_t Whole(const Edit& edit, std::string_view label, Limits<int64_t> limits);

  // `values` when every field read held a value, otherwise the first warning.
  template <class T>
  WindowValues<T> Result(T values) const {
    if (!warning_.empty()) return {std::nullopt, warning_};
    return {std::move(values), {}};
  }
  const std::string& Warning() const { return warning_; }

 private:
  void Missing(std::string_view label, std::string_view what);

  std::string warning_;
};

// The box shown instead of a command the window cannot fill: the warning, caption "Warning", an
// OK button and the exclamation icon.
void WarnNotSent(Application& app, const std::string& warning);

// Sends what the window holds, or warns and sends nothing; true when it was sent.
template <class T, class Send>
bool SendOrWarn(Application& app, const WindowValues<T>& read, Send&& send) {
  if (!read.values) {
    WarnNotSent(app, read.warning);
    return false;
  }
  std::forward<Send>(send)(*read.values);
  return true;
}

}  // namespace zelkon
