// Documents of the document API: reading, saving and the list of business
// objects, over the same reader and writer as the C interface.
#include "kuv/document.hpp"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/template_definitions.h"
#include "document/checked_text.h"
#include "document/current_date.h"
#include "document/file_failure.h"
#include "document/memory_files.h"
#include "document/put_positions.h"
#include "io/error_info.h"
#include "io/load.h"
#include "io/read_back_check.h"
#include "io/reader.h"
#include "io/writer.h"
#include "model/object_store.h"

namespace kuv {

namespace {

// A document's objects: the store of a document lives as long as the
// document, so only the index is checked.
BusinessObject ObjectAt(const void* owner, std::uint32_t, std::size_t index) {
  const auto* store = static_cast<const CObjectStore*>(owner);
  if (index >= store->objects().size()) throw std::out_of_range("kuv: the item is gone");
  return BusinessObject(store->objects()[index].get());
}

[[noreturn]] void Throw(const CErrorInfo& error) {
  throw Error(static_cast<ErrorCode>(error.code), error.message);
}

[[noreturn]] void ThrowSaveError(const std::string& detail) {
  CErrorInfo error;
  error.SetError(kErrorOpenForSave, detail.empty() ? nullptr : detail.c_str());
  Throw(error);
}

// Refuses, before anything is written, a store that would not read back as
// it is.
void RequireReadsBack(const CObjectStore& store) {
  if (const std::optional<io::ReadBackProblem> problem = io::FindReadBackProblem(store)) {
    ThrowSaveError(io::Describe(*problem));
  }
}

}  // namespace

// What the document API keeps beside the store: the put positions, which
// the store's nodes lead back to.
class Document::State : public document::PutPositions {};

Document::Document() : store_(std::make_unique<CObjectStore>()), state_(std::make_unique<State>()) {
  store_->SetOwner(static_cast<document::PutPositions*>(state_.get()));
}
Document::~Document() = default;
Document::Document(Document&& other) noexcept = default;
Document& Document::operator=(Document&& other) noexcept = default;

Document Document::Open(const std::string& path) { return Open(path, nullptr); }

Document Document::Parse(std::string_view bytes) { return Parse(bytes, nullptr); }

Document Document::Open(const std::string& path, std::vector<ReadNote>* notes) {
  Document document;
  document.read_ = true;
  CErrorInfo error;
  platform::FileFailure whyNotOpened;
  // The file is let go as soon as it is read.
  io::LoadStore(platform::DefaultPlatform(), *document.store_, error, path,
                platform::Sharing::kShared, notes, &whyNotOpened);
  if (error.code == kErrorOpenInput)
    throw document::FileError(ErrorCode::kOpenInput, path, whyNotOpened);
  if (error.code != kNoError) Throw(error);
  return document;
}

Document Document::Parse(std::string_view bytes, std::vector<ReadNote>* notes) {
  Document document;
  document.read_ = true;
  CErrorInfo error;
  document::MemoryInput input(bytes);
  io::ReadDocument(*document.store_, error, input, notes);
  if (error.code != kNoError) Throw(error);
  return document;
}

void Document::Save(const std::string& path) const {
  std::string refusal;
  if (!io::SaveStore(platform::DefaultPlatform(), *store_, path, &refusal)) {
    ThrowSaveError(refusal.empty() ? path : path + ": " + refusal);
  }
}

std::string Document::Serialize() const {
  RequireReadsBack(*store_);
  std::string bytes;
  document::MemoryOutput output(bytes);
  io::WriteDocument(*store_, output);
  return bytes;
}

void Document::Write(std::ostream& out) const {
  RequireReadsBack(*store_);
  document::StreamOutput output(out);
  if (!io::WriteDocument(*store_, output, platform::kTextLineEnd) || !output.Commit()) {
    ThrowSaveError({});
  }
}

std::optional<ReadBackProblem> Document::FindReadBackProblem() const {
  return io::FindReadBackProblem(*store_);
}

const std::string& Document::version() const { return store_->version; }

bool Document::complete() const { return store_->rootClosed || !read_; }

Items<BusinessObject> Document::objects() const {
  return Items<BusinessObject>(store_.get(), 0, store_->objects().size(), ObjectAt);
}

std::size_t Document::size() const { return store_->objects().size(); }

std::optional<BusinessObject> Document::Find(std::string_view id) const {
  const int index = store_->Find(id);
  if (index < 0) return std::nullopt;
  return BusinessObject(store_->GetAt(index));
}

BusinessObject Document::CreateObject(std::string_view id, std::string_view author,
                                      std::string_view version, std::string_view well_id,
                                      const Template* with_definitions_of) {
  document::RequireStorableAttribute(id, "ID");
  document::RequireStorableAttribute(author, "Author");
  document::RequireStorableAttribute(version, "Version");
  document::RequireStorableAttribute(well_id, "WellID");
  if (store_->Find(id) >= 0) {
    document::Refuse("cannot create the object " + document::Quoted(id),
                     "another object of the document has its ID");
  }
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

void Document::Remove(BusinessObject object) {
  const CBusinessObject* node = object.live();
  const auto& objects = store_->objects();
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (objects[i].get() == node) {
      state_->Forget(node);
      store_->RemoveAt(static_cast<int>(i));
      return;
    }
  }
  document::Refuse("cannot remove the object " + document::Quoted(node->id),
                   "it belongs to another document");
}

}  // namespace kuv
