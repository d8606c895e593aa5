// Documents of the document API: reading, saving and the list of business
// objects, over the same reader and writer as the C interface.
#include "kuv/document.hpp"

#include <memory>
#include <stdexcept>
#include <utility>

#include "core/template_definitions.h"
#include "document/checked_text.h"
#include "document/current_date.h"
#include "document/memory_files.h"
#include "io/error_info.h"
#include "io/load.h"
#include "io/reader.h"
#include "io/writer.h"
#include "model/object_store.h"

namespace kuv {

namespace {

BusinessObject ObjectAt(const void* owner, std::size_t index) {
  return BusinessObject(static_cast<const CObjectStore*>(owner)->objects()[index].get());
}

[[noreturn]] void Throw(const CErrorInfo& error) {
  throw Error(static_cast<ErrorCode>(error.code), error.message);
}

}  // namespace

Document::Document() : store_(std::make_unique<CObjectStore>()) {}
Document::~Document() = default;
Document::Document(Document&& other) noexcept = default;
Document& Document::operator=(Document&& other) noexcept = default;

Document Document::Open(const std::string& path) {
  Document document;
  document.read_ = true;
  CErrorInfo error;
  // The file is let go as soon as it is read.
  io::LoadStore(platform::DefaultPlatform(), *document.store_, error, path,
                platform::Sharing::kShared);
  if (error.code != kNoError) Throw(error);
  return document;
}

Document Document::Parse(std::string_view bytes) {
  Document document;
  document.read_ = true;
  CErrorInfo error;
  document::MemoryInput input(bytes);
  io::ReadDocument(*document.store_, error, input);
  if (error.code != kNoError) Throw(error);
  return document;
}

void Document::Save(const std::string& path) const {
  if (!io::SaveStore(platform::DefaultPlatform(), *store_, path)) {
    CErrorInfo error;
    error.SetError(kErrorOpenForSave, path.c_str());
    Throw(error);
  }
}

std::string Document::Serialize() const {
  std::string bytes;
  document::MemoryOutput output(bytes);
  io::WriteDocument(*store_, output);
  return bytes;
}

void Document::Write(std::ostream& out) const {
  document::StreamOutput output(out);
  if (!io::WriteDocument(*store_, output, platform::kTextLineEnd) || !output.Commit()) {
    CErrorInfo error;
    error.SetError(kErrorOpenForSave, nullptr);
    Throw(error);
  }
}

const std::string& Document::version() const { return store_->version; }

bool Document::complete() const { return store_->rootClosed || !read_; }

Items<BusinessObject> Document::objects() const {
  return Items<BusinessObject>(store_.get(), store_->objects().size(), ObjectAt);
}

std::size_t Document::size() const { return store_->objects().size(); }

std::optional<BusinessObject> Document::Find(std::string_view id) const {
  const int index = store_->Find(id);
  if (index < 0) return std::nullopt;
  return BusinessObject(store_->GetAt(index));
}

std::optional<BusinessObject> Document::CreateObject(std::string_view id, std::string_view author,
                                                     std::string_view version,
                                                     std::string_view well_id,
                                                     const Template* with_definitions_of) {
  document::RequireStorableAttribute(id, "ID");
  document::RequireStorableAttribute(author, "Author");
  document::RequireStorableAttribute(version, "Version");
  document::RequireStorableAttribute(well_id, "WellID");
  if (store_->Find(id) >= 0) return std::nullopt;
  std::string date = document::CurrentDateText();
  CBusinessObject* object = store_->Append(id);
  try {
    object->author = author;
    object->version = version;
    object->wellId = well_id;
    object->date = std::move(date);
    if (with_definitions_of != nullptr) {
      core::CopyTemplateDefinitions(*with_definitions_of->document_.store_, id, object->TableDefs,
                                    object->FieldDefs);
    }
  } catch (...) {
    store_->RemoveAt(store_->GetCount() - 1);  // out of memory: leave no half-made object
    throw;
  }
  return BusinessObject(object);
}

bool Document::Remove(BusinessObject object) {
  const auto& objects = store_->objects();
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (objects[i].get() == object.object_) {
      store_->RemoveAt(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

}  // namespace kuv
