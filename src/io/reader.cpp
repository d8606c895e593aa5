// The reader is one pass over the document with one tag of look-back. An
// opening tag inside a table is first taken as a field; only when another
// opening tag follows does it turn out to open a nested table. Rows are
// not marked: the field that comes first in a table's first row starts
// each of its rows. Nesting lives in explicit stacks, never in recursion.
#include "io/reader.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/byte_search.h"
#include "io/held_text.h"
#include "io/input_scanner.h"
#include "io/tag_text.h"
#include "io/text_stack.h"
#include "model/text_compare.h"

namespace kuv::io {

namespace {

constexpr std::string_view kDataDescription = "DataDescription";
constexpr std::string_view kRootClose = "/KUV";

bool IsClosing(std::string_view tag) { return !tag.empty() && tag.front() == '/'; }

class DocumentReader {
 public:
  DocumentReader(CObjectStore& store, CErrorInfo& error, platform::InputFile& input)
      : store_(store), error_(error), scanner_(input, [this] { KeepHeldTexts(); }) {}

  void Read() {
    if (ReadRoot()) ReadTags();
  }

 private:
  bool failed() const { return error_.code != kNoError; }

  // Reads up to delimiter into *text (null: drops it). Does nothing once an
  // error is held, so the first error stands and the text keeps its
  // content.
  void ReadToken(HeldText* text, char delimiter) {
    if (!scanner_.good() && !failed()) error_.SetError(kErrorCorrupted, nullptr);
    if (failed()) return;
    std::string_view token;
    const InputScanner::Stop stop = scanner_.Next(delimiter, text != nullptr ? &token : nullptr);
    if (text != nullptr) text->Set(token);
    if (stop != InputScanner::Stop::kDelimiter) error_.SetError(kErrorInvalidToken, nullptr);
  }

  // The scanner is about to reuse the memory that the held texts view. The
  // remembered texts go first: they may view the copies of the current
  // ones.
  void KeepHeldTexts() {
    previousTag_.Keep();
    previousText_.Keep();
    tag_.Keep();
    following_.Keep();
  }

  void Remember() {
    previousTag_.Set(tag_.view());
    previousText_.Set(following_.view());
  }

  // The prolog is dropped; the second tag is the root. Returns false when
  // reading ends here.
  bool ReadRoot() {
    ReadToken(nullptr, '<');
    ReadToken(nullptr, '<');
    ReadToken(&tag_, '>');
    if (!Contains(tag_.view(), "KUV")) {
      error_.SetError(kErrorNotKuv, nullptr);
      return false;
    }
    // Taken even from a root tag cut short by the end of the file: the
    // template check reads the version whatever went wrong after it.
    store_.version.assign(VersionText(tag_.view()));
    ReadToken(nullptr, '<');
    return !failed();
  }

  void ReadTags() {
    while (!failed()) {
      if ((valueClosed_ || tableOpened_) && ReadValueLine()) continue;
      if (!scanner_.HasMore()) {
        // A clean end, unless the file could not be read to its end.
        if (scanner_.failed()) error_.SetError(kErrorCorrupted, nullptr);
        store_.rootClosed = lastWasRootClose_;
        return;
      }
      ReadToken(&tag_, '>');
      if (IsClosing(tag_.view())) {
        // Whatever follows a closing tag is never used; the end of the file
        // may come here without harm.
        scanner_.Next('<', nullptr);
      } else {
        ReadToken(&following_, '<');
      }
      ++depth_;
      if (failed()) return;
      NoteRootClose(tag_.view());
      if (HandleTag(tag_.view())) Remember();
    }
  }

  // Most of a document is value lines, "<name>text</name>" and whatever
  // follows up to the next "<". Where a field is expected and the whole
  // line lies in the current block, it is read here in one go, leaving
  // everything as its two tags would through the rules below: the field
  // is pushed and popped, its value added, and both tags remembered. False,
  // having read nothing, for any other line.
  bool ReadValueLine() {
    if (tables_.empty()) return false;
    const char* const begin = scanner_.unreadBegin();
    const char* const end = scanner_.unreadEnd();
    const char* nameEnd = FindByte(begin, end, '>');
    if (nameEnd == nullptr) return false;
    const std::string_view name(begin, static_cast<std::size_t>(nameEnd - begin));
    if (name.empty() || name[0] == '/' || name[0] == '!' || name[0] == '?' ||
        name == kDataDescription || DefinitionIn(name) != Definition::kNone) {
      return false;
    }
    const char* textEnd = FindByte(nameEnd + 1, end, '<');
    if (textEnd == nullptr) return false;
    // The closing tag must be this field's: "/", the name, ">".
    const char* closing = textEnd + 1;
    if (static_cast<std::size_t>(end - closing) < name.size() + 2 || closing[0] != '/' ||
        closing[name.size() + 1] != '>' || !SameBytes(closing + 1, name.data(), name.size())) {
      return false;
    }
    CTableNode& table = *tables_.back();
    if (SameText(name, table.name())) return false;  // it closes the table instead
    const char* next = FindByte(closing + name.size() + 2, end, '<');
    if (next == nullptr) return false;

    const std::string_view text(nameEnd + 1, static_cast<std::size_t>(textEnd - nameEnd - 1));
    const std::string_view closingTag(closing, name.size() + 1);
    // The first field of the table's first row starts each new row.
    const std::uint32_t field = table.InternField(name);
    CRowNode* row = table.LastRow();
    if (row == nullptr) {
      row = table.AddRow();
    } else {
      const CRowNode& first = *table.rows().front();
      if (!first.values().empty() && first.values().front().fieldIndex() == field) {
        row = table.AddRow();
      }
    }
    row->AddValue(field, text);
    lastWasRootClose_ = false;
    valueClosed_ = true;
    tableOpened_ = false;
    tag_.Set(closingTag);
    following_.Set(text);
    previousTag_.Set(closingTag);
    previousText_.Set(text);
    scanner_.Consume(next + 1);
    return true;
  }

  // Comments and instructions after the closing root tag do not make a
  // document look cut.
  void NoteRootClose(std::string_view tag) {
    if (!tag.empty() && (tag[0] == '!' || tag[0] == '?')) return;
    lastWasRootClose_ = tag == kRootClose;
  }

  // Handles one tag; returns true when it is to be remembered as the
  // previous tag.
  bool HandleTag(std::string_view tag) {
    if (tag == kDataDescription) return false;
    const Definition definition = DefinitionIn(tag);
    if (definition != Definition::kNone) {
      if (definition == Definition::kField) {
        ReadFieldDef(tag);
      } else {
        ReadTableDef(tag);
      }
      --depth_;
      return false;
    }
    if (IsClosing(tag)) {
      --depth_;
      return HandleClosingTag(tag.substr(1));
    }
    if (!tag.empty() && (tag[0] == '!' || tag[0] == '?')) {  // comment or instruction
      --depth_;
      return false;
    }
    if (valueClosed_ || tableOpened_) {
      // Taken as a field until the next tag tells otherwise.
      tagStack_.Push(tag);
      --depth_;
      valueClosed_ = false;
      tableOpened_ = false;
      return true;
    }
    if (depth_ == 0) return StartBusinessObject(tag);
    if (depth_ == 1) return StartTopLevelTable(tag);
    return StartNestedTable(tag);
  }

  bool HandleClosingTag(std::string_view name) {
    if (tables_.empty()) {
      // Closes the data description, or else the business object.
      depth_ = name == kDataDescription ? 0 : -1;
      ClearFlags();
      return false;
    }
    if (name == tables_.back()->name()) {
      --depth_;
      tables_.pop_back();
      if (tables_.empty()) ClearFlags();
      return true;
    }
    if (!tagStack_.empty() && name == tagStack_.Top()) {
      tagStack_.Pop();
      AddClosedValue(name);
      valueClosed_ = true;
    }
    return true;  // an unmatched closing tag changes nothing else
  }

  // The value remembered with the previous tag closes; the first field of
  // the table's first row starts each new row.
  void AddClosedValue(std::string_view name) {
    // When the tag remembered last is itself a closing tag, the element now
    // closing held other elements, not a value (the first item of a nested
    // table that was itself a table). Its content is already stored; adding
    // the remembered closing tag as a field named "/X" would write a
    // document that can't be read back.
    if (!previousTag_.view().empty() && previousTag_.view().front() == '/') return;
    CTableNode& table = *tables_.back();
    CRowNode* row = table.LastRow();
    if (row == nullptr) {
      row = table.AddRow();
    } else {
      // A first row that began with a nested table holds no value to
      // compare with; the value then joins the last row.
      const CRowNode& first = *table.rows().front();
      if (!first.values().empty() && first.FieldOf(first.values().front()) == name) {
        row = table.AddRow();
      }
    }
    row->AddValue(previousTag_.view(), previousText_.view());
  }

  // Every failure is error 6 and ends the reading; a business object whose
  // ID was found stays in the store with the attributes found before.
  bool StartBusinessObject(std::string_view tag) {
    const std::optional<std::string_view> id = AttributeText(tag, "ID='");
    if (!id) return FailBusinessObject();
    CBusinessObject* object = store_.Append(*id);
    currentObject_ = object;
    const std::pair<std::string_view, std::string*> attributes[] = {
        {"Author='", &object->author},
        {"Version='", &object->version},
        {"WellID='", &object->wellId},
        {"Date='", &object->date},
    };
    for (const auto& [key, member] : attributes) {
      const std::optional<std::string_view> text = AttributeText(tag, key);
      if (!text) return FailBusinessObject();
      member->assign(*text);
    }
    return true;
  }

  bool FailBusinessObject() {
    error_.SetError(kErrorBusinessObject, nullptr);
    return false;
  }

  bool StartTopLevelTable(std::string_view tag) {
    CTableNode* table = store_.AppendTableToLast(tag);
    if (table == nullptr) {
      // No business object has begun to hold it: the tag is dropped.
      --depth_;
      return false;
    }
    tables_.push_back(table);
    tagStack_.Push(tag);
    tableOpened_ = true;
    valueClosed_ = false;
    return true;
  }

  // The previous tag, taken as a field, opens a table instead, and this tag
  // is the first item inside it.
  bool StartNestedTable(std::string_view tag) {
    if (tables_.empty()) {
      // A stray opening tag with no table to hold it (inside the data
      // description, for one): dropped as if it were not there.
      --depth_;
      return false;
    }
    tableOpened_ = true;
    CTableNode& parent = *tables_.back();
    CRowNode* row = parent.LastRow();
    if (row == nullptr) row = parent.AddRow();
    // The entry pushed for the previous tag stays on the tag stack.
    tables_.push_back(row->AddChildTable(previousTag_.view()));
    tagStack_.Push(tag);
    valueClosed_ = false;
    return true;
  }

  // Definitions before any business object have nowhere to go and are
  // dropped. A missing attribute is read as the empty text.
  void ReadFieldDef(std::string_view tag) {
    if (currentObject_ == nullptr) return;
    definitionKey_.assign(AttributeText(tag, "Table='").value_or(""));
    definitionKey_ += kDefinitionSeparator;
    definitionKey_.append(AttributeText(tag, "Field='").value_or(""));
    definitionText_.assign(AttributeText(tag, "Unit='").value_or(""));
    definitionText_ += kDefinitionSeparator;
    definitionText_.append(AttributeText(tag, "Type='").value_or(""));
    currentObject_->SetFieldDef(definitionKey_, definitionText_);
  }

  void ReadTableDef(std::string_view tag) {
    if (currentObject_ == nullptr) return;
    currentObject_->SetTableDef(AttributeText(tag, "Table='").value_or(""),
                                AttributeText(tag, "Parent='").value_or(""));
  }

  void ClearFlags() {
    valueClosed_ = false;
    tableOpened_ = false;
  }

  CObjectStore& store_;
  CErrorInfo& error_;
  InputScanner scanner_;

  HeldText tag_;        // the text of the tag just read
  HeldText following_;  // the text after the last opening tag
  HeldText previousTag_;
  HeldText previousText_;
  // -1 outside a business object, 0 inside one but outside its tables, n
  // inside tables nested n deep. 64 bits: no document can make it wrap.
  std::int64_t depth_ = -1;
  CBusinessObject* currentObject_ = nullptr;
  bool lastWasRootClose_ = false;
  bool valueClosed_ = false;  // a field has just closed
  bool tableOpened_ = false;  // a table has just opened
  // Opening tags taken as fields. Entries of tags that turned out to open
  // tables stay, and a later closing tag of that name can match them.
  TextStack tagStack_;
  // The open tables, innermost last; the last one receives rows, values
  // and nested tables.
  std::vector<CTableNode*> tables_;
  std::string definitionKey_;
  std::string definitionText_;
};

}  // namespace

void ReadDocument(CObjectStore& store, CErrorInfo& error, platform::InputFile& input) {
  DocumentReader(store, error, input).Read();
}

}  // namespace kuv::io
