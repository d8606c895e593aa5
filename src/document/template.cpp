// Templates of the document API: read and checked as KuvAttach does.
#include <memory>
#include <stdexcept>

#include "core/template_check.h"
#include "core/template_definitions.h"
#include "core/version_number.h"
#include "document/definition_views.h"
#include "io/error_info.h"
#include "kuv/document.hpp"
#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv {

Template Template::Open(const std::string& path) {
  Document document = Document::Open(path);
  if (!core::IsTemplateVersionCurrent(document.version())) {
    CErrorInfo error;
    error.SetError(kErrorTemplateVersion, core::OutdatedTemplateDetail(path).c_str());
    throw Error(ErrorCode::kTemplateVersion, error.message);
  }
  return Template(std::move(document), path);
}

std::optional<std::string> Template::RegisteredPath() {
  std::unique_ptr<platform::RegistryKey> key = platform::DefaultPlatform().OpenTemplateKey();
  if (!key) return std::nullopt;
  std::optional<std::string> value = key->QueryValue(core::kTemplateValueName);
  if (!value) return std::nullopt;
  value->resize(value->find('\0') == std::string::npos ? value->size() : value->find('\0'));
  return value;
}

void Template::Register(const std::string& path) {
  std::unique_ptr<platform::RegistryKey> key = platform::DefaultPlatform().OpenTemplateKey();
  if (!key) key = platform::DefaultPlatform().CreateTemplateKey();
  if (!key || !key->SetStringValue(core::kTemplateValueName, path)) {
    throw std::runtime_error("kuv: cannot register the template " + path +
                             ": its registry value cannot be written");
  }
}

std::optional<FieldDefinition> Template::field_definition(std::string_view object_id,
                                                          std::string_view table,
                                                          std::string_view field) const {
  const FieldDefMap::value_type* found =
      core::FindTemplateFieldDef(*document_.store_, object_id, table, field);
  if (found == nullptr) return std::nullopt;
  return document::ViewFieldDefinition(found->first, found->second);
}

}  // namespace kuv
