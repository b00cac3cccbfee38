// A window as a script or a test sees it: every control's properties by name, as JSON values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/form.h"

namespace zelkon {

// The kinds of property values, for reading a value given as text.
enum class ValueKind { Text, Boolean, Integer, TextList };

struct PropertyValue {
  std::string name;  // "text", "colour", "fontColour", "checked", "itemIndex", "items", ...
  ValueKind kind;
  std::string json;  // the value as JSON: "\"10.0\"", "true", "4", "[\"Off\",\"On\"]"
};

// The properties of a control in a fixed order: kind-specific ones first ("text", "colour",
// "fontColour", "checked", "itemIndex", "items"), then "enabled" and "visible", and "hint" when the
// control has one. Colours are "#RRGGBB" (RgbText).
std::vector<PropertyValue> PropertiesOf(const Control& control);
std::optional<PropertyValue> PropertyOf(const Control& control, std::string_view name);

// {"kind":"Edit","text":"10.0","enabled":true,"visible":true}
std::string ControlJson(const Control& control);
// {"form":"TForm_GPS","visible":true,"controls":{"Edit_EMask":{...},...}}
std::string FormJson(const Form& form);

// A colour as "#RRGGBB"; the named system colours as the desktop's default scheme has them:
// window #FFFFFF, button face #F0F0F0, window text #000000, inactive caption #BFCDDB.
std::string RgbText(Colour colour);

}  // namespace zelkon
