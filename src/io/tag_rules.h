// How the reader takes a document's tags, one at a time, with one tag of
// look-back. An opening tag inside a table is first taken as a field; only
// when another opening tag follows does it turn out to open a nested table.
// Rows are not marked: the field that comes first in a table's first row
// starts each of its rows. Nesting lives in explicit stacks, never in
// recursion.
//
// The rules are written once, over a builder that receives what the tags
// make: the reader's builder adds to a store, and the save check's builder
// compares with the store being saved, so that a save is checked by the
// very rules that will read it back.
//
// A builder offers:
//   Table                       a cheap handle to a table it made
//   Field                       a cheap handle to a field name of a table
//   void StartObject(id)        a new business object, which receives the
//                               header and definitions that follow
//   void SetHeader(HeaderText, text)
//   void SetFieldDef(key, definition), void SetTableDef(table, parent)
//   Table AddTopLevelTable(name)     null when no object has begun
//   Table AddChildTable(parent, name) under the parent table's last row
//   std::string_view NameOf(Table)
//   Field FieldOf(Table, name)
//   bool HasRow(Table), bool BeginsRows(Table, Field): whether the field is
//                               the first of the table's first row
//   void AddRow(Table), void AddValue(Table, Field, text): to the last row
#ifndef KUV_IO_TAG_RULES_H_
#define KUV_IO_TAG_RULES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/held_text.h"
#include "io/tag_text.h"
#include "io/text_stack.h"
#include "model/definitions.h"

namespace kuv::io {

inline constexpr std::string_view kDataDescriptionTag = "DataDescription";

// The header texts after the ID, in the order the reader looks for them.
enum class HeaderText { kAuthor, kVersion, kWellId, kDate };

// What one tag did.
enum class TagAction : std::uint8_t {
  kDataDescription,  // the data description's opening tag: nothing
  kFieldDefinition,
  kTableDefinition,
  kIgnored,     // a comment or processing instruction
  kLeftTables,  // a closing tag with no table open: ends the data
                // description, or else the business object
  kClosedTable,
  kClosedValue,
  kClosedHolder,      // the end of a field that held elements, not a value
  kClosedNothing,     // a closing tag that matches nothing open
  kProvisionalField,  // an opening tag taken as a field until the next tag
  kStartedObject,
  kRefusedObject,  // a business object tag without its five attributes
  kOpenedTopLevelTable,
  kOpenedNestedTable,  // the previous tag opened a table; this one is its
                       // first item
  kDropped,            // an opening tag with nowhere to go
};

inline bool IsClosingTag(std::string_view tag) { return !tag.empty() && tag.front() == '/'; }
inline bool IsIgnoredTag(std::string_view tag) {
  return !tag.empty() && (tag.front() == '!' || tag.front() == '?');
}

template <typename Builder>
class TagRules {
 public:
  using Table = typename Builder::Table;

  explicit TagRules(Builder& builder) : builder_(builder) {}

  // Handles an opening tag and the text that follows it, or a closing tag,
  // which leaves the text that followed the last opening tag as it was.
  TagAction Handle(std::string_view tag, std::string_view following) {
    tag_.Set(tag);
    if (!IsClosingTag(tag)) following_.Set(following);
    ++depth_;
    const TagAction action = Decide(tag);
    if (Remembers(action)) {
      previousTag_.Set(tag_.view());
      previousText_.Set(following_.view());
    }
    return action;
  }

  // A value line "<name>text</name>", read where a field is expected, in
  // one step: everything ends as its two tags would leave it through
  // Handle. False, having changed nothing, when its tags need Handle (the
  // line could be anything but a plain value of the open table). The
  // caller has seen that the closing tag, closingTag, is "/" and name.
  bool TakeValueLine(std::string_view name, std::string_view text, std::string_view closingTag) {
    if (!(valueClosed_ || tableOpened_) || tables_.empty()) return false;
    if (!IsPlainValueName(name, builder_.NameOf(tables_.back()))) return false;
    return TakePlainValueLine(name, text, closingTag);
  }

  // Whether the tags of a value named name, inside a table of tableName,
  // can only be taken as that value's: the name is no closing tag, comment,
  // data description or definition, and does not close the table.
  static bool IsPlainValueName(std::string_view name, std::string_view tableName) {
    return !name.empty() && !IsClosingTag(name) && !IsIgnoredTag(name) &&
           name != kDataDescriptionTag && DefinitionIn(name) == Definition::kNone &&
           name != tableName;
  }

  // TakeValueLine for a name that IsPlainValueName has passed for the open
  // table.
  bool TakePlainValueLine(std::string_view name, std::string_view text,
                          std::string_view closingTag) {
    if (!(valueClosed_ || tableOpened_) || tables_.empty()) return false;
    AddToRows(tables_.back(), name, text);
    valueClosed_ = true;
    tableOpened_ = false;
    tag_.Set(closingTag);
    following_.Set(text);
    previousTag_.Set(closingTag);
    previousText_.Set(text);
    return true;
  }

  // Whether a field is expected: an opening tag now would be taken as one.
  bool ExpectsField() const { return valueClosed_ || tableOpened_; }
  bool InTable() const { return !tables_.empty(); }
  // The innermost open table; there must be one.
  Table OpenTable() const { return tables_.back(); }
  // The text that followed the tag remembered last: a provisional field's
  // value until the next tag tells whether it opens a table instead.
  std::string_view PreviousText() const { return previousText_.view(); }

  // The texts that the rules hold on to are about to lose the memory they
  // view: each takes a copy. The remembered texts go first, since they may
  // view the copies of the current ones.
  void KeepTexts() {
    previousTag_.Keep();
    previousText_.Keep();
    tag_.Keep();
    following_.Keep();
  }

 private:
  static bool Remembers(TagAction action) {
    switch (action) {
      case TagAction::kClosedTable:
      case TagAction::kClosedValue:
      case TagAction::kClosedHolder:
      case TagAction::kClosedNothing:
      case TagAction::kProvisionalField:
      case TagAction::kStartedObject:
      case TagAction::kOpenedTopLevelTable:
      case TagAction::kOpenedNestedTable:
        return true;
      default:
        return false;
    }
  }

  TagAction Decide(std::string_view tag) {
    if (tag == kDataDescriptionTag) return TagAction::kDataDescription;
    const Definition definition = DefinitionIn(tag);
    if (definition != Definition::kNone) {
      --depth_;
      if (definition == Definition::kField) {
        ReadFieldDef(tag);
        return TagAction::kFieldDefinition;
      }
      ReadTableDef(tag);
      return TagAction::kTableDefinition;
    }
    if (IsClosingTag(tag)) {
      --depth_;
      return Close(tag.substr(1));
    }
    if (IsIgnoredTag(tag)) {
      --depth_;
      return TagAction::kIgnored;
    }
    if (valueClosed_ || tableOpened_) {
      // Taken as a field until the next tag tells otherwise.
      tagStack_.Push(tag);
      --depth_;
      ClearFlags();
      return TagAction::kProvisionalField;
    }
    if (depth_ == 0) return StartObject(tag);
    if (depth_ == 1) return StartTopLevelTable(tag);
    return StartNestedTable(tag);
  }

  TagAction Close(std::string_view name) {
    if (tables_.empty()) {
      // Closes the data description, or else the business object.
      depth_ = name == kDataDescriptionTag ? 0 : -1;
      ClearFlags();
      return TagAction::kLeftTables;
    }
    if (name == builder_.NameOf(tables_.back())) {
      --depth_;
      tables_.pop_back();
      if (tables_.empty()) ClearFlags();
      return TagAction::kClosedTable;
    }
    if (!tagStack_.empty() && name == tagStack_.Top()) {
      tagStack_.Pop();
      valueClosed_ = true;
      // When the tag remembered last is itself a closing tag, the element
      // now closing held other elements, not a value (the first item of a
      // nested table that was itself a table). Its content is stored
      // already; a value named "/X" could not be written back.
      if (IsClosingTag(previousTag_.view())) return TagAction::kClosedHolder;
      AddToRows(tables_.back(), previousTag_.view(), previousText_.view());
      return TagAction::kClosedValue;
    }
    return TagAction::kClosedNothing;
  }

  // The first field of a table's first row starts each new row; a first
  // row that began with a nested table holds no value to compare with, and
  // every value then joins the last row.
  void AddToRows(const Table& table, std::string_view name, std::string_view text) {
    const auto field = builder_.FieldOf(table, name);
    if (!builder_.HasRow(table) || builder_.BeginsRows(table, field)) builder_.AddRow(table);
    builder_.AddValue(table, field, text);
  }

  // Every failure ends the reading; a business object whose ID was found
  // stays with the header texts found before.
  TagAction StartObject(std::string_view tag) {
    const std::optional<std::string_view> id = AttributeText(tag, "ID='");
    if (!id) return TagAction::kRefusedObject;
    builder_.StartObject(*id);
    hasObject_ = true;
    constexpr std::pair<std::string_view, HeaderText> kHeader[] = {
        {"Author='", HeaderText::kAuthor},
        {"Version='", HeaderText::kVersion},
        {"WellID='", HeaderText::kWellId},
        {"Date='", HeaderText::kDate},
    };
    for (const auto& [key, which] : kHeader) {
      const std::optional<std::string_view> text = AttributeText(tag, key);
      if (!text) return TagAction::kRefusedObject;
      builder_.SetHeader(which, *text);
    }
    return TagAction::kStartedObject;
  }

  TagAction StartTopLevelTable(std::string_view tag) {
    const Table table = builder_.AddTopLevelTable(tag);
    if (!table) {
      // No business object has begun to hold it: the tag is dropped.
      --depth_;
      return TagAction::kDropped;
    }
    tables_.push_back(table);
    tagStack_.Push(tag);
    tableOpened_ = true;
    valueClosed_ = false;
    return TagAction::kOpenedTopLevelTable;
  }

  // The previous tag, taken as a field, opens a table instead, and this tag
  // is the first item inside it; a row is begun for the table when the
  // enclosing table has none.
  TagAction StartNestedTable(std::string_view tag) {
    if (tables_.empty()) {
      // A stray opening tag with no table to hold it (inside the data
      // description, for one): dropped as if it were not there.
      --depth_;
      return TagAction::kDropped;
    }
    tableOpened_ = true;
    const Table parent = tables_.back();
    if (!builder_.HasRow(parent)) builder_.AddRow(parent);
    // The entry pushed for the previous tag stays on the tag stack.
    tables_.push_back(builder_.AddChildTable(parent, previousTag_.view()));
    tagStack_.Push(tag);
    valueClosed_ = false;
    return TagAction::kOpenedNestedTable;
  }

  // Definitions before any business object have nowhere to go and are
  // dropped. A missing attribute is read as the empty text.
  void ReadFieldDef(std::string_view tag) {
    if (!hasObject_) return;
    definitionKey_.assign(AttributeText(tag, "Table='").value_or(""));
    definitionKey_ += kDefinitionSeparator;
    definitionKey_.append(AttributeText(tag, "Field='").value_or(""));
    definitionText_.assign(AttributeText(tag, "Unit='").value_or(""));
    definitionText_ += kDefinitionSeparator;
    definitionText_.append(AttributeText(tag, "Type='").value_or(""));
    builder_.SetFieldDef(definitionKey_, definitionText_);
  }

  void ReadTableDef(std::string_view tag) {
    if (!hasObject_) return;
    builder_.SetTableDef(AttributeText(tag, "Table='").value_or(""),
                         AttributeText(tag, "Parent='").value_or(""));
  }

  void ClearFlags() {
    valueClosed_ = false;
    tableOpened_ = false;
  }

  Builder& builder_;
  HeldText tag_;        // the text of the tag just handled
  HeldText following_;  // the text after the last opening tag
  HeldText previousTag_;
  HeldText previousText_;
  // -1 outside a business object, 0 inside one but outside its tables, n
  // inside tables nested n deep. 64 bits: no document can make it wrap.
  std::int64_t depth_ = -1;
  bool hasObject_ = false;
  bool valueClosed_ = false;  // a field has just closed
  bool tableOpened_ = false;  // a table has just opened
  // Opening tags taken as fields. Entries of tags that turned out to open
  // tables stay, and a later closing tag of that name can match them.
  TextStack tagStack_;
  // The open tables, innermost last; the last one receives rows, values
  // and nested tables.
  std::vector<Table> tables_;
  std::string definitionKey_;
  std::string definitionText_;
};

}  // namespace kuv::io

#endif  // KUV_IO_TAG_RULES_H_
