// Reading a setup window into the values of its command.
//
// A setup window shows what the receiver last reported; before its first report its lists have no
// selection and its edits hold no number. Sent as they are, such fields would reach the receiver
// as the byte 0xFF or as whatever a failed scan left behind, and a port could lose its protocol. So
// a window is read field by field in window order, and the first field without a value stops the
// command: the window then says which field it is and sends nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zelkon {

class Application;
class ComboBox;
class Edit;

// The values a setup window holds for one command, or the warning that names the first field that
// holds none ("Receiver Mode is not set.", "PDOP Mask is not a number.").
template <class T>
struct WindowValues {
  std::optional<T> values;
  std::string warning;
};

// Numbers read from an edit with the scan formats of the windows; nothing when the text does not
// begin with a number.
std::optional<float> ScanSingle(const std::string& text);   // "%f"
std::optional<double> ScanDouble(const std::string& text);  // "%lf"
std::optional<int> ScanInt(const std::string& text);        // "%d"

// Reads the fields of one window in window order and keeps the warning of the first field that
// holds no value. Such a field reads as 0, which is never sent.
class FieldReader {
 public:
  // The item index of a list; "<label> is not set." when nothing is selected.
  int Selected(const ComboBox& list, std::string_view label);
  // A group of choices with none chosen: "<label> is not set.".
  void NotSet(std::string_view label);
  // An edit read with "%f", "%lf" or "%d"; "<label> is not a number." when it holds none.
  float Single(const Edit& edit, std::string_view label);
  double Double(const Edit& edit, std::string_view label);
  int Int(const Edit& edit, std::string_view label);
  // An edit read with "%ld" as a signed 32-bit integer, or with "%U" as an unsigned one: the
  // value's low 32 bits, as a 32-bit field carries them.
  uint32_t Long32(const Edit& edit, std::string_view label);
  uint32_t Unsigned32(const Edit& edit, std::string_view label);

  // `values` when every field read held a value, otherwise the first warning.
  template <class T>
  WindowValues<T> Result(T values) const {
    if (!warning_.empty()) return {std::nullopt, warning_};
    return {std::move(values), {}};
  }

 private:
  void Missing(std::string_view label, const char* what);

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
