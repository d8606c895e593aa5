// The template file dialog on Linux: a zenity file selection, when a
// graphical session and zenity are there.
#ifndef KUV_PLATFORM_POSIX_POSIX_DIALOG_H_
#define KUV_PLATFORM_POSIX_POSIX_DIALOG_H_

#include <optional>
#include <string>

namespace kuv::platform::posix {

// The chosen path, or nullopt when the dialog was cancelled or could not
// be shown.
std::optional<std::string> AskForTemplateWithZenity();

}  // namespace kuv::platform::posix

#endif  // KUV_PLATFORM_POSIX_POSIX_DIALOG_H_
