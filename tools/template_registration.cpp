#include "template_registration.h"

#include <filesystem>
#include <system_error>

#include "tool_error.h"
#include "tool_location.h"

namespace kuv::tool {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::exists(path, error) && !error;
}

}  // namespace

void EnsureTemplateRegistered(std::ostream& notices) {
  const std::optional<std::string> registered = Template::RegisteredPath();
  if (registered && !registered->empty() && Exists(*registered)) return;
  const std::string shipped = ShippedTemplatePath();
  if (!Exists(shipped)) {
    throw DataError("no template is registered and the bundled one is missing: " + shipped);
  }
  RegisterTemplate(shipped);
  if (registered && !registered->empty()) {
    notices << "kuv: the registered template " << *registered << " no longer exists; ";
  } else {
    notices << "kuv: no template was registered; ";
  }
  notices << "registered the bundled template " << shipped << "\n";
}

void RegisterTemplate(const std::string& path) {
  try {
    Template::Register(path);
  } catch (const std::runtime_error& error) {
    std::string why = error.what();
    if (why.rfind("kuv: ", 0) == 0) why.erase(0, 5);
    throw DataError(why);
  }
}

Template OpenRegisteredTemplate() {
  const std::optional<std::string> registered = Template::RegisteredPath();
  if (!registered || registered->empty()) throw DataError("no template is registered");
  try {
    return Template::Open(*registered);
  } catch (const Error& error) {
    throw DataError(std::string("cannot read the template: ") + error.what());
  }
}

}  // namespace kuv::tool
