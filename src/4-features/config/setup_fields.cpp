#include "config/setup_fields.h"

#include <cstdio>

#include "base/application.h"
#include "model/controls.h"

namespace zelkon {
namespace {

template <class T>
std::optional<T> Scan(const std::string& text, const char* format) {
  T value{};
  if (std::sscanf(text.c_str(), format, &value) != 1) return std::nullopt;
  return value;
}

}  // namespace

std::optional<float> ScanSingle(const std::string& text) { return Scan<float>(text, "%f"); }
std::optional<double> ScanDouble(const std::string& text) { return Scan<double>(text, "%lf"); }
std::optional<int> ScanInt(const std::string& text) { return Scan<int>(text, "%d"); }

int FieldReader::Selected(const ComboBox& list, std::string_view label) {
  if (list.ItemIndex() >= 0) return list.ItemIndex();
  NotSet(label);
  return 0;
}

void FieldReader::NotSet(std::string_view label) { Missing(label, "is not set."); }

float FieldReader::Single(const Edit& edit, std::string_view label) {
  const std::optional<float> value = ScanSingle(edit.Text());
  if (!value) Missing(label, "is not a number.");
  return value.value_or(0);
}

double FieldReader::Double(const Edit& edit, std::string_view label) {
  const std::optional<double> value = ScanDouble(edit.Text());
  if (!value) Missing(label, "is not a number.");
  return value.value_or(0);
}

int FieldReader::Int(const Edit& edit, std::string_view label) {
  const std::optional<int> value = ScanInt(edit.Text());
  if (!value) Missing(label, "is not a number.");
  return value.value_or(0);
}

// A long is wider here than the 32-bit field: the value is read whole and its low 32 bits go out.
uint32_t FieldReader::Long32(const Edit& edit, std::string_view label) {
  const std::optional<long> value = Scan<long>(edit.Text(), "%ld");
  if (!value) Missing(label, "is not a number.");
  return static_cast<uint32_t>(value.value_or(0));
}

uint32_t FieldReader::Unsigned32(const Edit& edit, std::string_view label) {
  const std::optional<unsigned long> value = Scan<unsigned long>(edit.Text(), "%lu");
  if (!value) Missing(label, "is not a number.");
  return static_cast<uint32_t>(value.value_or(0));
}

void FieldReader::Missing(std::string_view label, const char* what) {
  if (warning_.empty()) warning_ = std::string(label) + " " + what;
}

void WarnNotSent(Application& app, const std::string& warning) {
  app.dialogs.MessageBox(warning, "Warning", Buttons::Ok, Icon::Exclamation);
}

}  // namespace zelkon
