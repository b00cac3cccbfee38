#include "main/about.h"

#include "main/about_form.h"

namespace zelkon {

const char* ProgramVersion() { return ZELKON_VERSION; }

void WireAboutWindow(Application&, TForm_About& form) {
  form.Button_OK.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
