// Attaching: the template is found through the registered path or the file
// dialog, read into the template store and refused when older than 3.61.
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/template_check.h"
#include "core/version_number.h"
#include "frame/library_state.h"
#include "io/load.h"

namespace kuv {

namespace {

constexpr const char* kAlreadyAttached = "Already Attached";
constexpr const char* kTemplateNotOpened = "Template not opened";

}  // namespace

bool LibraryState::Attach(std::string& message) {
  if (attached_) {
    message = kAlreadyAttached;
    return false;
  }
  // A snapshot that an earlier attachment left behind is never continued.
  values_.reset();
  ResetValueWalk();

  if (!FindTemplate()) {
    message = kTemplateNotOpened;
    return false;
  }
  CErrorInfo error;
  dataStream_.reset();
  io::LoadStore(platform_, templateStore_, error, templatePath_, platform::Sharing::kShared);
  // The version test runs whatever the load recorded, and its error wins.
  if (!core::IsTemplateVersionCurrent(templateStore_.version)) {
    error.SetError(kErrorTemplateVersion, core::OutdatedTemplateDetail(templatePath_).c_str());
  }
  message = error.message;
  attached_ = error.code == kNoError;
  return attached_;
}

// Without a registered template that exists, asks the user for one and
// keeps the answer as the template path, stored in the registry for later
// processes. False when the user cancelled or the registry key can be
// neither opened nor created; the path chosen is kept in the second case.
bool LibraryState::FindTemplate() {
  if (!templatePath_.empty() && platform_.PathExists(templatePath_)) return true;
  std::optional<std::string> chosen = platform_.AskForTemplateFile();
  if (!chosen) return false;
  templatePath_ = std::move(*chosen);
  std::unique_ptr<platform::RegistryKey> key = platform_.OpenTemplateKey();
  if (!key) key = platform_.CreateTemplateKey();
  if (!key) return false;
  // The path still serves this process when the value cannot be written.
  key->SetStringValue(core::kTemplateValueName, templatePath_);
  return true;
}

}  // namespace kuv
