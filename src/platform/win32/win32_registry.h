// The template key in the Windows registry:
// HKEY_LOCAL_MACHINE\Software\KUV\Template.
#ifndef KUV_PLATFORM_WIN32_WIN32_REGISTRY_H_
#define KUV_PLATFORM_WIN32_WIN32_REGISTRY_H_

#include <memory>

#include "platform/platform.h"

namespace kuv::platform::win32 {

// The key when it exists (RegOpenKeyA), else null.
std::unique_ptr<RegistryKey> OpenTemplateKey();
// The key, created with any missing parent (RegCreateKeyA), else null.
std::unique_ptr<RegistryKey> CreateTemplateKey();

}  // namespace kuv::platform::win32

#endif  // KUV_PLATFORM_WIN32_WIN32_REGISTRY_H_
