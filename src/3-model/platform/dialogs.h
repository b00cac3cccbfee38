// Modal message boxes and file dialogs. The user interface shows real ones; tests answer from a
// script; a headless run prints the box and answers with the button that sends nothing.
#pragma once

#include <optional>
#include <string>

namespace zelkon {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Icon { None, Information, Exclamation, Stop, Question };
// Abort, Retry and Ignore are offered by no box of this program; a script may still name them.
enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

// Open reads a file; Save names one to write, and asks before replacing one that exists.
enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
  std::string fileName;          // preset text of the file-name field
  std::string defaultExtension;  // ".dat", added when the chosen name has none
  std::string filter;            // "Data Files (*.dat)|*.dat|All Files (*.*)|*.*"
  FileDialogMode mode = FileDialogMode::Open;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                            Icon icon) = 0;
  // The same box with a second text under its message: the particulars of what it says (the
  // system's reason for a failure). Where a box has no room for it, both are one text.
  virtual Answer MessageBoxWithDetail(const std::string& text, const std::string& detail,
                                      const std::string& caption, Buttons buttons, Icon icon) {
    return MessageBox(detail.empty() ? text : text + "\n\n" + detail, caption, buttons, icon);
  }
  // The chosen path of a file to read, or nothing when the operator cancels.
  std::optional<std::string> OpenFile(FileDialogRequest request) {
    request.mode = FileDialogMode::Open;
    return ChooseFile(request);
  }
  // The chosen path of a file to write (an existing one only once the operator agreed to replace
  // it), or nothing when the operator cancels.
  std::optional<std::string> SaveFile(FileDialogRequest request) {
    request.mode = FileDialogMode::Save;
    return ChooseFile(request);
  }
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
  // Opens the document at `path` in the desktop's viewer for it; false where there is none.
  virtual bool OpenDocument(const std::string& /*path*/) { return false; }
};

}  // namespace zelkon
