// The template's place in the registry and the detail of the message that
// refuses an outdated one: KuvAttach and the document API say the same.
#ifndef KUV_CORE_TEMPLATE_CHECK_H_
#define KUV_CORE_TEMPLATE_CHECK_H_

#include <string>

namespace kuv::core {

// The registry value, under Software\KUV\Template, that holds the path.
constexpr const char* kTemplateValueName = "FileName";

// The detail of error 7 for the template at path.
inline std::string OutdatedTemplateDetail(const std::string& path) {
  return "Version number expected to be 3.61 or higher.\nPlace newer version file into " + path;
}

}  // namespace kuv::core

#endif  // KUV_CORE_TEMPLATE_CHECK_H_
