// The reader is one pass over the document's bytes: it finds the tags and
// the texts between them, and the tag rules (io/tag_rules.h) take them one
// at a time.
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
#include "io/tag_rules.h"
#include "io/tag_text.h"
#include "model/text_compare.h"

namespace kuv::io {

namespace {

constexpr std::string_view kRootClose = "/KUV";

// What the tags make, added to a store.
class StoreBuilder {
 public:
  using Table = CTableNode*;
  using Field = std::uint32_t;

  explicit StoreBuilder(CObjectStore& store) : store_(store) {}

  // The business object begun last, if any.
  const CBusinessObject* object() const { return object_; }

  void StartObject(std::string_view id) { object_ = store_.Append(id); }
  void SetHeader(HeaderText which, std::string_view text) {
    switch (which) {
      case HeaderText::kAuthor:
        object_->author.assign(text);
        break;
      case HeaderText::kVersion:
        object_->version.assign(text);
        break;
      case HeaderText::kWellId:
        object_->wellId.assign(text);
        break;
      case HeaderText::kDate:
        object_->date.assign(text);
        break;
    }
  }
  void SetFieldDef(std::string_view key, std::string_view definition) {
    object_->SetFieldDef(key, definition);
  }
  void SetTableDef(std::string_view table, std::string_view parent) {
    object_->SetTableDef(table, parent);
  }
  Table AddTopLevelTable(std::string_view name) { return store_.AppendTableToLast(name); }
  Table AddChildTable(Table parent, std::string_view name) {
    return parent->LastRow()->AddChildTable(name);
  }
  std::string_view NameOf(Table table) const { return table->name(); }
  Field FieldOf(Table table, std::string_view name) { return table->InternField(name); }
  bool HasRow(Table table) const { return table->LastRow() != nullptr; }
  bool BeginsRows(Table table, Field field) const {
    const CRowNode& first = *table->rows().front();
    return !first.values().empty() && first.values().front().fieldIndex() == field;
  }
  void AddRow(Table table) { table->AddRow(); }
  void AddValue(Table table, Field field, std::string_view text) {
    table->LastRow()->AddValue(field, text);
  }

 private:
  CObjectStore& store_;
  CBusinessObject* object_ = nullptr;
};

class DocumentReader {
 public:
  DocumentReader(CObjectStore& store, CErrorInfo& error, platform::InputFile& input,
                 std::vector<ReadNote>* notes)
      : store_(store),
        error_(error),
        notes_(notes),
        builder_(store),
        rules_(builder_),
        scanner_(input, [this] { KeepHeldTexts(); }) {}

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

  // The scanner is about to reuse the memory that the held texts view.
  void KeepHeldTexts() {
    rules_.KeepTexts();
    tag_.Keep();
    following_.Keep();
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
      // Notes need every tag and text seen one by one.
      if (notes_ == nullptr && rules_.ExpectsField() && ReadValueLine()) continue;
      if (!scanner_.HasMore()) {
        // A clean end, unless the file could not be read to its end.
        if (scanner_.failed()) error_.SetError(kErrorCorrupted, nullptr);
        store_.rootClosed = lastWasRootClose_;
        return;
      }
      ReadToken(&tag_, '>');
      if (IsClosingTag(tag_.view())) {
        // Whatever follows a closing tag is never used; the end of the file
        // may come here without harm.
        std::string_view skipped;
        scanner_.Next('<', notes_ != nullptr ? &skipped : nullptr);
        if (notes_ != nullptr) NoteDropped(skipped, tag_.view());
      } else {
        ReadToken(&following_, '<');
      }
      if (failed()) return;
      NoteRootClose(tag_.view());
      // A provisional field's text is dropped when the field turns out to
      // open a table.
      const std::string_view provisionalText = rules_.PreviousText();
      const TagAction action = rules_.Handle(tag_.view(), following_.view());
      if (action == TagAction::kRefusedObject) error_.SetError(kErrorBusinessObject, nullptr);
      if (notes_ != nullptr) NoteAction(action, provisionalText);
    }
  }

  // Most of a document is value lines, "<name>text</name>" and whatever
  // follows up to the next "<". Where a field is expected and the whole
  // line lies in the current block, it is read here in one go. False,
  // having read nothing, for any other line.
  bool ReadValueLine() {
    if (!rules_.InTable()) return false;
    const char* const begin = scanner_.unreadBegin();
    const char* const end = scanner_.unreadEnd();
    const char* nameEnd = FindByte(begin, end, '>');
    if (nameEnd == nullptr) return false;
    const std::string_view name(begin, static_cast<std::size_t>(nameEnd - begin));
    const char* textEnd = FindByte(nameEnd + 1, end, '<');
    if (textEnd == nullptr) return false;
    // The closing tag must be this field's: "/", the name, ">".
    const char* closing = textEnd + 1;
    if (static_cast<std::size_t>(end - closing) < name.size() + 2 || closing[0] != '/' ||
        closing[name.size() + 1] != '>' || !SameBytes(closing + 1, name.data(), name.size())) {
      return false;
    }
    const char* next = FindByte(closing + name.size() + 2, end, '<');
    if (next == nullptr) return false;
    const std::string_view text(nameEnd + 1, static_cast<std::size_t>(textEnd - nameEnd - 1));
    if (!rules_.TakeValueLine(name, text, std::string_view(closing, name.size() + 1))) return false;
    lastWasRootClose_ = false;
    scanner_.Consume(next + 1);
    return true;
  }

  // What reading passes over, for a caller that asked to hear of it.
  void NoteAction(TagAction action, std::string_view provisionalText) {
    const std::string_view tag = tag_.view();
    switch (action) {
      case TagAction::kClosedNothing:
        Note("the closing tag " + Shown(tag, "<", ">") + " closes nothing that is open");
        break;
      case TagAction::kDropped:
        Note("the tag " + Shown(tag, "<", ">") +
             " has no business object or table to belong to and is dropped");
        break;
      case TagAction::kIgnored:
        if (tag.rfind("![CDATA[", 0) == 0) {
          std::string_view text = tag.substr(8);
          if (text.size() >= 2 && text.substr(text.size() - 2) == "]]") text.remove_suffix(2);
          Note("a CDATA section is dropped with its text " + Shown(text, "'", "'"));
        }
        NoteDropped(following_.view(), tag);
        break;
      case TagAction::kStartedObject:
      case TagAction::kDataDescription:
      case TagAction::kFieldDefinition:
      case TagAction::kTableDefinition:
      case TagAction::kOpenedTopLevelTable:
        NoteDropped(following_.view(), tag);
        break;
      case TagAction::kOpenedNestedTable:
        // The tag before this one opened the table, and its text goes.
        NoteDropped(provisionalText, rules_.OpenTable()->name());
        break;
      default:
        break;
    }
  }

  // Text that reading drops, when it is more than blanks between tags.
  void NoteDropped(std::string_view text, std::string_view afterTag) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return;
    std::string what = "the text " + Shown(text, "'", "'");
    if (!afterTag.empty()) what += " after " + Shown(afterTag, "<", ">");
    Note(what + " is dropped");
  }

  // A text for a note, cut short when it is long.
  static std::string Shown(std::string_view text, const char* open, const char* close) {
    constexpr std::size_t kShown = 40;
    std::string shown = open;
    shown.append(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return shown + close;
  }

  void Note(std::string what) {
    ReadNote note;
    if (const CBusinessObject* object = builder_.object()) note.object = object->id;
    if (rules_.InTable()) {
      const CTableNode* table = rules_.OpenTable();
      note.table = table->name();
      note.row = table->rows().size();
    }
    note.what = std::move(what);
    notes_->push_back(std::move(note));
  }

  // Comments and instructions after the closing root tag do not make a
  // document look cut.
  void NoteRootClose(std::string_view tag) {
    if (IsIgnoredTag(tag)) return;
    lastWasRootClose_ = tag == kRootClose;
  }

  CObjectStore& store_;
  CErrorInfo& error_;
  std::vector<ReadNote>* notes_;
  StoreBuilder builder_;
  TagRules<StoreBuilder> rules_;
  InputScanner scanner_;
  HeldText tag_;        // the text of the tag just read
  HeldText following_;  // the text after it
  bool lastWasRootClose_ = false;
};

}  // namespace

void ReadDocument(CObjectStore& store, CErrorInfo& error, platform::InputFile& input,
                  std::vector<ReadNote>* notes) {
  DocumentReader(store, error, input, notes).Read();
}

}  // namespace kuv::io
