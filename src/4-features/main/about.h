// The Help menu: the user documentation and the About box's one handler.
#pragma once

#include <string>

namespace zelkon {

class Application;
class TForm_About;

// The user documentation beside the program: the README installed with it
// (<prefix>/share/doc/zelkon/README.md), or the source tree's when it runs from its build folder;
// empty when there is neither. `program` is the program's own path.
std::string UserDocumentation(const std::string& program);

// "&Help...": opens the user documentation in the desktop's viewer; where it cannot, a box says
// where it is, or that it was not found.
void ShowUserDocumentation(Application& app);

// "&OK" closes the box.
void WireAboutWindow(Application& app, TForm_About& form);

}  // namespace zelkon
