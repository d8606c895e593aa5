// KuvAttach: finds the template (registry value, else the file dialog),
// reads it into the template store and refuses one older than 3.61.
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/version_number.h"
#include "frame/export_guard.h"
#include "io/load.h"
#include "kuv/kuv.h"

namespace kuv::api {

namespace {

constexpr const char* kAlreadyAttached = "Already Attached";
constexpr const char* kTemplateNotOpened = "Template not opened";
constexpr const char* kTemplateValueName = "FileName";
constexpr const char* kOutdatedDetail =
    "Version number expected to be 3.61 or higher.\nPlace newer version file into ";

bool NeedsTemplateDialog(LibraryState& state) {
  return state.templatePath.empty() || !state.platform.PathExists(state.templatePath);
}

// Asks the user for the template and keeps the answer as the template path,
// stored in the registry for later processes. False when the user cancelled
// or the registry key can be neither opened nor created; the path chosen is
// kept in the second case.
bool AskForTemplate(LibraryState& state) {
  std::optional<std::string> chosen = state.platform.AskForTemplateFile();
  if (!chosen) return false;
  state.templatePath = std::move(*chosen);
  std::unique_ptr<platform::RegistryKey> key = state.platform.OpenTemplateKey();
  if (!key) key = state.platform.CreateTemplateKey();
  if (!key) return false;
  // The path still serves this process when the value cannot be written.
  key->SetStringValue(kTemplateValueName, state.templatePath);
  return true;
}

int Attach(LibraryState& state, char** errorMessage) {
  if (state.attached) {
    CopyOutString(state, errorMessage, kAlreadyAttached, 0);
    return 0;
  }
  // Replaces a list that an earlier, failed attempt left behind.
  state.valueList = std::make_unique<ValueList>();

  CErrorInfo error;
  CurrentErrorScope publish(state, error);

  if (NeedsTemplateDialog(state) && !AskForTemplate(state)) {
    CopyOutString(state, errorMessage, kTemplateNotOpened, 0);
    return 0;
  }

  state.dataStream.reset();
  io::LoadStore(state.platform, state.templateStore, error, state.templatePath,
                platform::Sharing::kShared);
  // The version test runs whatever the load recorded, and its error wins.
  if (!core::IsTemplateVersionCurrent(state.templateStore.version)) {
    error.SetError(kErrorTemplateVersion, (kOutdatedDetail + state.templatePath).c_str());
  }

  CopyOutString(state, errorMessage, error.message, 0);
  if (error.code != kNoError) return 0;
  state.attached = true;
  return 1;
}

}  // namespace

}  // namespace kuv::api

int KuvAttach(char** errorMessage) {
  if (errorMessage == nullptr) return 0;
  return kuv::WithState(
      [&](kuv::LibraryState& state) { return kuv::api::Attach(state, errorMessage); });
}
