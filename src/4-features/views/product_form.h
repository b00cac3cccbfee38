// TForm_Product: firmware versions, manufacturing and production parameters.
//
// Panel_ProdPremOpt and Panel_NavHour are the manufacturing and production boxes themselves; their
// captions carry the premium options and the application's build hour, which the window shows in
// the top right corner of each box.
#pragma once

#include "model/form.h"

namespace zelkon {

class TForm_Product final : public Form {
 public:
  TForm_Product()
      : Form("TForm_Product", "Product Info", "Software versions: Packets 0x1F, 0x45") {}

  Panel Panel2{*this, "Panel2",
               Design()
                   .Color(colours::kButtonFace)
                   .Hint("Software Version Information: Packets 0x1F, 0x45")};
  Label Label_NavHour{*this, "Label_NavHour", Design().Text("Hour")};
  Panel Panel_NavVersion{*this, "Panel_NavVersion"};
  Panel Panel_NavDate{*this, "Panel_NavDate"};
  Panel Panel_SigVersion{*this, "Panel_SigVersion"};
  Panel Panel_SigDate{*this, "Panel_SigDate"};

  Panel Panel_ProdPremOpt{
      *this, "Panel_ProdPremOpt",
      Design().Color(colours::kButtonFace).Hint("Manufacturing Parameters: Packet 8E/8F-41")};
  Panel Panel_ManSerNumPrefix{*this, "Panel_ManSerNumPrefix"};
  Panel Panel_ManSerNum{*this, "Panel_ManSerNum"};
  Panel Panel_ManDate{*this, "Panel_ManDate"};
  Panel Panel_ManHour{*this, "Panel_ManHour"};
  Panel Panel_ManOscOffset{*this, "Panel_ManOscOffset"};
  Panel Panel_ManIDNum{*this, "Panel_ManIDNum"};

  Panel Panel_NavHour{
      *this, "Panel_NavHour",
      Design().Color(colours::kButtonFace).Hint("Production Parameters: Packet 8E/8F-42")};
  Panel Panel_ProdOptsPrefix{*this, "Panel_ProdOptsPrefix"};
  Panel Panel_ProdNumExt{*this, "Panel_ProdNumExt"};
  Panel Panel_ProdSerNumPrefix{*this, "Panel_ProdSerNumPrefix"};
  Panel Panel_ProdSerNum{*this, "Panel_ProdSerNum"};
  Panel Panel_ProdNum{*this, "Panel_ProdNum"};
  Panel Panel_ProdIDNum{*this, "Panel_ProdIDNum"};

  Button Button_Close{*this, "Button_Close", Design().Text("&Close")};
};

}  // namespace zelkon
