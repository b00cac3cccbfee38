#include "main/about.h"

#include <filesystem>

#include "base/application.h"
#include "main/about_form.h"

namespace zelkon {

const char* ProgramVersion() { return ZELKON_VERSION; }

std::string UserDocumentation(const std::string& program) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(program).parent_path();
  for (const fs::path& candidate :
       {folder / "../share/doc/zelkon/README.md", folder / "../../README.md"}) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return fs::weakly_canonical(candidate, error);
  }
  return {};
}

void ShowUserDocumentation(Application& app) {
  std::error_code error;
  const std::string path =
      UserDocumentation(std::filesystem::read_symlink("/proc/self/exe", error));
  if (path.empty()) {
    app.dialogs.MessageBox("The user documentation (README.md) was not found beside the program.",
                           "Help", Buttons::Ok, Icon::Exclamation);
  } else if (!app.dialogs.OpenDocument(path)) {
    app.dialogs.MessageBox("The user documentation is " + path + ".", "Help", Buttons::Ok,
                           Icon::Information);
  }
}

void WireAboutWindow(Application&, TForm_About& form) {
  form.Button_OK.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
