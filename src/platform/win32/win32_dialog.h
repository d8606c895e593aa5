// The template file dialog on Windows: the common file-open dialog.
#ifndef KUV_PLATFORM_WIN32_WIN32_DIALOG_H_
#define KUV_PLATFORM_WIN32_WIN32_DIALOG_H_

#include <optional>
#include <string>

namespace kuv::platform::win32 {

// The full path of the chosen Standard.kvt, or nullopt when the dialog was
// closed without OK or could not be shown.
std::optional<std::string> AskForTemplateWithOpenDialog();

}  // namespace kuv::platform::win32

#endif  // KUV_PLATFORM_WIN32_WIN32_DIALOG_H_
