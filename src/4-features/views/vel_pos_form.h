// TForm_VelPos: the velocity and position reports as they arrive.
#pragma once

#include <array>

#include "model/form.h"

namespace zelkon {

class TForm_VelPos final : public Form {
 public:
  TForm_VelPos() : Form("TForm_VelPos", "Velocity and Positioning") {}

  Panel Panel_VelX{*this, "Panel_VelX"};
  Panel Panel_VelY{*this, "Panel_VelY"};
  Panel Panel_VelZ{*this, "Panel_VelZ"};
  Panel Panel_BiasRate{*this, "Panel_BiasRate"};
  Panel Panel_East{*this, "Panel_East"};
  Panel Panel_North{*this, "Panel_North"};
  Panel Panel_Up{*this, "Panel_Up"};
  Panel Panel_ENUBiasRate{*this, "Panel_ENUBiasRate"};
  Panel Panel_ECEFPosition{
      *this, "Panel_ECEFPosition",
      Design().Color(colours::kButtonFace).Hint("Single Precision ECEF Position: Packet 0x42")};
  Panel Panel_PosX{*this, "Panel_PosX"};
  Panel Panel_PosY{*this, "Panel_PosY"};
  Panel Panel_PosZ{*this, "Panel_PosZ"};
  Panel Panel_ECEFBias{*this, "Panel_ECEFBias"};
  Panel Panel_LLAPosition{
      *this, "Panel_LLAPosition",
      Design().Color(colours::kButtonFace).Hint("Single Precision LLA Position: Packet 0x4A")};
  Panel Panel_Latitude{*this, "Panel_Latitude"};
  Panel Panel_Longitude{*this, "Panel_Longitude"};
  Panel Panel_Altitude{*this, "Panel_Altitude"};
  Panel Panel_LLABias{*this, "Panel_LLABias"};
  Button Button1{*this, "Button1", Design().Text("C&lear")};
  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};

  std::array<Panel*, 16> ValuePanels() {
    return {&Panel_VelX,     &Panel_VelY,      &Panel_VelZ,     &Panel_BiasRate,
            &Panel_East,     &Panel_North,     &Panel_Up,       &Panel_ENUBiasRate,
            &Panel_PosX,     &Panel_PosY,      &Panel_PosZ,     &Panel_ECEFBias,
            &Panel_Latitude, &Panel_Longitude, &Panel_Altitude, &Panel_LLABias};
  }
};

}  // namespace zelkon
