// The About box's one handler.
#pragma once

namespace zelkon {

class Application;
class TForm_About;

// "&OK" closes the box.
void WireAboutWindow(Application& app, TForm_About& form);

}  // namespace zelkon
