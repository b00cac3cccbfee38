#include "base/setup_fields.h"

#include <cmath>
#include <cstdio>

#include "base/application.h"
#include "model/controls.h"
#include "text/numbers.h"
#include "text/printf.h"

namespace zelkon {
namespace {

template <class T>
std::optional<T> Scan(const std::string& text, const char* format) {
  T value{};
  if (std::sscanf(text.c_str(), format, &value) != 1) return std::nullopt;
  return value;
}

// A limit as the warning names it: whole values without decimals, others with as many significant
// digits as they need (at most seven, the precision of a single).
std::string LimitText(double limit) {
  if (std::fabs(limit) < 1e15 && limit == std::trunc(limit)) return Printf("%.0f", limit);
  return Printf("%.7g", limit);
}

std::string Between(double low, double high) {
  return "from " + LimitText(low) + " to " + LimitText(high) + ".";
}

}  // namespace

std::optional<float> ScanSingle(const std::string& text) { return Scan<float>(text, "%f"); }
std::optional<int> ScanInt(const std::string& text) { return Scan<int>(text, "%d"); }

int FieldReader::Selected(const ComboBox& list, std::string_view label) {
  if (list.ItemIndex() >= 0) return list.ItemIndex();
  NotSet(label);
  return 0;
}

void FieldReader::NotSet(std::string_view label) { Missing(label, "is not set."); }

float FieldReader::Single(const Edit& edit, std::string_view label, Limits<float> limits) {
  const std::optional<double> value = ParseDecimal(edit.Text());
  // Narrowed first: the receiver gets the single, so the single is what must lie within.
  const bool carried = value && std::fabs(*value) <= std::numeric_limits<float>::max();
  const float single = carried ? static_cast<float>(*value) : 0.0f;
  if (!carried || single < limits.low || single > limits.high) {
    Missing(label, "must be a number " + Between(limits.low, limits.high));
    return 0;
  }
  return single;
}

double FieldReader::Double(const Edit& edit, std::string_view label, Limits<double> limits) {
  const std::optional<double> value = ParseDecimal(edit.Text());
  if (!value || *value < limits.low || *value > limits.high) {
    Missing(label, "must be a number " + Between(limits.low, limits.high));
    return 0;
  }
  return *value;
}

int64_t FieldReader::Whole(const Edit& edit, std::string_view label, Limits<int64_t> limits) {
  const std::optional<int64_t> value = ParseWhole(edit.Text());
  if (!value || *value < limits.low || *value > limits.high) {
    Missing(label, Printf("must be a whole number from %lld to %lld.",
                          static_cast<long long>(limits.low), static_cast<long long>(limits.high)));
    return 0;
  }
  return *value;
}

void FieldReader::Missing(std::string_view label, std::string_view what) {
  if (warning_.empty()) warning_ = std::string(label) + " " + std::string(what);
}

void WarnNotSent(Application& app, const std::string& warning) {
  app.dialogs.MessageBox(warning, "Warning", Buttons::Ok, Icon::Exclamation);
}

}  // namespace zelkon
