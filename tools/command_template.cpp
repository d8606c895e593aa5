// kuv template: shows the registered template, or registers another.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "commands.h"
#include "kuv/document.hpp"
#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemplateFileName = "Standard.kvt";

int ShowRegistered() {
  const std::optional<std::string> registered = Template::RegisteredPath();
  if (!registered || registered->empty()) {
    std::cerr << "kuv: no template is registered; the next command that reads documents "
                 "registers the bundled one\n";
    return kExitDataError;
  }
  std::cout << *registered << "\n";
  std::error_code error;
  if (!fs::exists(*registered, error)) {
    std::cerr << "kuv: the registered template no longer exists; the next command that reads "
                 "documents registers the bundled one\n";
  }
  return kExitSuccess;
}

// Registers the file, as the file dialog would, once the library has
// accepted it; a template it refuses leaves the registration as it was.
int Register(const std::string& path) {
  if (fs::path(path).filename() != kTemplateFileName) {
    throw UsageError(std::string("the template must be named ") + kTemplateFileName + ": " + path);
  }
  std::error_code error;
  if (!fs::is_regular_file(path, error)) throw DataError("no such file: " + path);
  const std::string full = fs::absolute(path, error).lexically_normal().string();
  if (error) throw DataError("cannot resolve " + path + ": " + error.message());

  try {
    Template::Open(full);
  } catch (const Error& refused) {
    throw DataError(full + " is not a usable template: " + refused.what());
  }
  RegisterTemplate(full);
  std::cout << "registered " << full << "\n";
  return kExitSuccess;
}

}  // namespace

int RunTemplate(const TemplateOptions& options) {
  return options.path.empty() ? ShowRegistered() : Register(options.path);
}

}  // namespace kuv::tool
