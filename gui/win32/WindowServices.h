// The Windows services with messages as system message boxes, and the file-open dialog.
#pragma once

#include <string>

#include "platform/win32/win32_services.h"

namespace lintara {

class WindowServices : public Win32Services {
  public:
    // A modal MessageBoxW with the error icon and one OK button, owned by the window on
    // screen; text and title exactly.
    int ShowMessage(const std::string& text, int style, const std::string& title) override;
};

// GetOpenFileNameW with no title, filter or start folder: the chosen path (UTF-8), or the
// empty text when the user chose nothing.
std::string ChooseFile();

}  // namespace lintara
