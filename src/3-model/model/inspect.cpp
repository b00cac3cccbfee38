#include "model/inspect.h"

#include <cstdio>

#include "text/json.h"

namespace zelkon {
namespace {

uint32_t RgbOf(Colour colour) {
  switch (colour.SystemColour()) {
    case Colour::System::None:
      return colour.RgbValue();
    case Colour::System::Window:
      return 0xFFFFFF;
    case Colour::System::ButtonFace:
      return 0xF0F0F0;
    case Colour::System::WindowText:
      return 0x000000;
    case Colour::System::InactiveCaption:
      return 0xBFCDDB;
  }
  return 0;
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string json = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) json += ',';
    json += JsonString(items[i]);
  }
  return json + "]";
}

// One text a series: "PPS offset (ns): 42 points, last 3.52", the last point's y as %g.
std::vector<std::string> SeriesSummaries(const ChartData& data) {
  std::vector<std::string> summaries;
  for (const ChartSeries& series : data.series) {
    std::string text = series.name + ": " + std::to_string(series.points.size()) + " points";
    if (!series.points.empty()) {
      char last[32];
      std::snprintf(last, sizeof last, ", last %g", series.points.back().y);
      text += last;
    }
    summaries.push_back(std::move(text));
  }
  return summaries;
}

std::vector<std::string> TickLabels(const ChartData& data) {
  std::vector<std::string> labels;
  for (const ChartTick& tick : data.xTicks)
    labels.push_back(tick.label);
  return labels;
}

// One text a gap: "1718539231 to 1718539238", its ends as %.17g.
std::vector<std::string> GapTexts(const ChartData& data) {
  std::vector<std::string> texts;
  for (const ChartInterval& gap : data.gaps) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g to %.17g", gap.from, gap.to);
    texts.push_back(text);
  }
  return texts;
}

class Properties {
 public:
  Properties& Text(const char* name, const std::string& value) {
    list_.push_back({name, ValueKind::Text, JsonString(value)});
    return *this;
  }
  Properties& Colour(const char* name, zelkon::Colour value) { return Text(name, RgbText(value)); }
  Properties& Boolean(const char* name, bool value) {
    list_.push_back({name, ValueKind::Boolean, value ? "true" : "false"});
    return *this;
  }
  Properties& Integer(const char* name, int value) {
    list_.push_back({name, ValueKind::Integer, std::to_string(value)});
    return *this;
  }
  Properties& List(const char* name, const std::vector<std::string>& items) {
    list_.push_back({name, ValueKind::TextList, JsonList(items)});
    return *this;
  }
  // "enabled", "visible" and, when there is one, "hint".
  Properties& Common(const VisualControl& control) {
    Boolean("enabled", control.Enabled()).Boolean("visible", control.Visible());
    if (!control.Hint().empty()) Text("hint", control.Hint());
    return *this;
  }
  std::vector<PropertyValue> Take() { return std::move(list_); }

 private:
  std::vector<PropertyValue> list_;
};

}  // namespace

std::string RgbText(Colour colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(RgbOf(colour) & 0xFFFFFF));
  return text;
}

std::vector<PropertyValue> PropertiesOf(const Control& control) {
  Properties p;
  switch (control.Kind()) {
    case ControlKind::Panel: {
      const auto& c = static_cast<const Panel&>(control);
      p.Text("text", c.Caption()).Colour("colour", c.Color()).Common(c);
      break;
    }
    case ControlKind::Label: {
      const auto& c = static_cast<const Label&>(control);
      p.Text("text", c.Caption()).Colour("fontColour", c.FontColor()).Common(c);
      break;
    }
    case ControlKind::Shape: {
      const auto& c = static_cast<const Shape&>(control);
      p.Colour("colour", c.BrushColor()).Common(c);
      break;
    }
    case ControlKind::Edit: {
      const auto& c = static_cast<const Edit&>(control);
      p.Text("text", c.Text()).Colour("colour", c.Color()).Common(c);
      break;
    }
    case ControlKind::ComboBox: {
      const auto& c = static_cast<const ComboBox&>(control);
      p.Integer("itemIndex", c.ItemIndex()).Text("text", c.Text()).List("items", c.Items());
      p.Common(c);
      break;
    }
    case ControlKind::CheckBox: {
      const auto& c = static_cast<const CheckBox&>(control);
      p.Text("text", c.Caption()).Boolean("checked", c.Checked()).Common(c);
      break;
    }
    case ControlKind::RadioButton: {
      const auto& c = static_cast<const RadioButton&>(control);
      p.Text("text", c.Caption()).Boolean("checked", c.Checked()).Common(c);
      break;
    }
    case ControlKind::RadioGroup: {
      const auto& c = static_cast<const RadioGroup&>(control);
      p.Text("text", c.Caption()).Integer("itemIndex", c.ItemIndex()).List("items", c.Items());
      p.Common(c);
      break;
    }
    case ControlKind::Button: {
      const auto& c = static_cast<const Button&>(control);
      p.Text("text", c.Caption()).Common(c);
      break;
    }
    case ControlKind::Memo: {
      const auto& c = static_cast<const Memo&>(control);
      p.Text("text", c.Text()).Common(c);
      break;
    }
    case ControlKind::TabControl: {
      const auto& c = static_cast<const TabControl&>(control);
      p.Integer("itemIndex", c.TabIndex()).List("items", c.Tabs()).Common(c);
      break;
    }
    case ControlKind::MenuItem: {
      const auto& c = static_cast<const MenuItem&>(control);
      p.Text("text", c.Caption()).Boolean("checked", c.Checked());
      p.Boolean("enabled", c.Enabled()).Boolean("visible", c.Visible());
      if (!c.Hint().empty()) p.Text("hint", c.Hint());
      break;
    }
    case ControlKind::Timer: {
      const auto& c = static_cast<const Timer&>(control);
      p.Boolean("enabled", c.Enabled());
      break;
    }
    case ControlKind::Chart: {
      const auto& c = static_cast<const Chart&>(control);
      p.List("series", SeriesSummaries(c.Data())).List("ticks", TickLabels(c.Data()));
      p.List("gaps", GapTexts(c.Data())).Boolean("following", c.Zoom().following).Common(c);
      break;
    }
  }
  return p.Take();
}

std::optional<PropertyValue> PropertyOf(const Control& control, std::string_view name) {
  for (PropertyValue& value : PropertiesOf(control)) {
    if (value.name == name) return std::move(value);
  }
  return std::nullopt;
}

std::string ControlJson(const Control& control) {
  JsonObject object;
  object.Add("kind", KindName(control.Kind()));
  for (const PropertyValue& value : PropertiesOf(control))
    object.AddRaw(value.name, value.json);
  return object.Text();
}

std::string FormJson(const Form& form) {
  JsonObject controls;
  for (const Control* control : form.Controls())
    controls.AddRaw(control->Name(), ControlJson(*control));
  return JsonObject()
      .Add("form", form.ClassName())
      .Add("visible", form.Visible())
      .AddRaw("controls", controls.Text())
      .Text();
}

}  // namespace zelkon
