// Colours of the window models: RGB values, or one of the platform's named system colours.
#pragma once

#include <cstdint>
#include <string>

namespace zelkon {

class Colour {
 public:
  enum class System : uint8_t {
    None,             // a plain RGB colour
    Window,           // background of live value fields
    ButtonFace,       // background of greyed fields
    WindowText,       // text of enabled labels
    InactiveCaption,  // text of disabled labels
  };

  static constexpr Colour Rgb(uint32_t rgb) { return Colour(rgb & 0xFFFFFF, System::None); }
  static constexpr Colour Named(System system) { return Colour(0, system); }

  constexpr bool IsSystem() const { return system_ != System::None; }
  constexpr System SystemColour() const { return system_; }
  constexpr uint32_t RgbValue() const { return rgb_; }

  // "#RRGGBB" for RGB colours; "window", "button-face", "window-text" or "inactive-caption".
  std::string ToString() const;

  friend constexpr bool operator==(Colour, Colour) = default;

 private:
  constexpr Colour(uint32_t rgb, System system) : rgb_(rgb), system_(system) {}
  uint32_t rgb_;
  System system_;
};

namespace colours {
inline constexpr Colour kWindow = Colour::Named(Colour::System::Window);
inline constexpr Colour kButtonFace = Colour::Named(Colour::System::ButtonFace);
inline constexpr Colour kWindowText = Colour::Named(Colour::System::WindowText);
inline constexpr Colour kInactiveCaption = Colour::Named(Colour::System::InactiveCaption);

inline constexpr Colour kGrey = Colour::Rgb(0x808080);    // LED off
inline constexpr Colour kGreen = Colour::Rgb(0x00FF00);   // LED on, good
inline constexpr Colour kYellow = Colour::Rgb(0xFFFF00);  // alarm bit set
inline constexpr Colour kRed = Colour::Rgb(0xFF0000);
inline constexpr Colour kOrange = Colour::Rgb(0xFF8000);
inline constexpr Colour kTeal = Colour::Rgb(0x008080);
inline constexpr Colour kAqua = Colour::Rgb(0x00FFFF);
}  // namespace colours

}  // namespace zelkon
