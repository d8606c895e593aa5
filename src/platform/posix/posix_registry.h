// The registry stand-in: a key is a folder, a value is a file holding the
// value's bytes. HKEY_LOCAL_MACHINE\Software\KUV\Template is the folder
// $XDG_CONFIG_HOME/KUV/Template ($HOME/.config/KUV/Template when
// XDG_CONFIG_HOME is unset or empty).
#ifndef KUV_PLATFORM_POSIX_POSIX_REGISTRY_H_
#define KUV_PLATFORM_POSIX_POSIX_REGISTRY_H_

#include <memory>
#include <string>

#include "platform/platform.h"

namespace kuv::platform::posix {

// The folder that stands for the template key; empty when neither
// XDG_CONFIG_HOME nor HOME gives a place.
std::string TemplateKeyFolder();

std::unique_ptr<RegistryKey> OpenKeyFolder(const std::string& folder);
std::unique_ptr<RegistryKey> CreateKeyFolder(const std::string& folder);

}  // namespace kuv::platform::posix

#endif  // KUV_PLATFORM_POSIX_POSIX_REGISTRY_H_
