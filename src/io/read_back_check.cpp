// The save check. It walks the store as the writer does, hands each tag the
// writer would write to the reader's rules, and holds the rules' builder to
// what the store holds: every object, definition, table, row and value that
// reading would make must be the one the store has at that point. The
// first difference is the problem, named by its place and by what reading
// would make of it.
#include "io/read_back_check.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/tag_layout.h"
#include "io/tag_rules.h"
#include "model/definitions.h"

namespace kuv::io {

namespace {

// The texts of a tag as reading gives them back: exactly those of the
// model, line ends and all (the writer stores them so that they do).
struct TagText {
  std::string text;
  void Append(std::string_view layout) { text.append(layout); }
  void AppendText(std::string_view part) { text.append(part); }
};

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  quoted.append(text);
  quoted += '\'';
  return quoted;
}

// What reading makes of a tag, for messages.
const char* DescribeAction(TagAction action) {
  switch (action) {
    case TagAction::kDataDescription:
      return "the data description's opening tag";
    case TagAction::kFieldDefinition:
      return "a field definition";
    case TagAction::kTableDefinition:
      return "a table definition";
    case TagAction::kIgnored:
      return "a comment";
    case TagAction::kLeftTables:
      return "the end of the data description or of the business object";
    case TagAction::kClosedTable:
      return "the end of a table";
    case TagAction::kClosedValue:
      return "the end of a value";
    case TagAction::kClosedHolder:
      return "the end of an element that held others";
    case TagAction::kClosedNothing:
      return "a closing tag that closes nothing";
    case TagAction::kProvisionalField:
      return "a field";
    case TagAction::kStartedObject:
      return "the start of a business object";
    case TagAction::kRefusedObject:
      return "a business object tag without its five attributes";
    case TagAction::kOpenedTopLevelTable:
      return "a top-level table";
    case TagAction::kOpenedNestedTable:
      return "the start of a nested table";
    case TagAction::kDropped:
      return "a tag with no place to go";
  }
  return "something else";
}

// Why a name's tag would be taken for something else, when the reason is
// one a caller can see in the name itself.
const char* WhyNameMisreads(TagAction action) {
  switch (action) {
    case TagAction::kFieldDefinition:
    case TagAction::kTableDefinition:
      return "holds 'FieldDef' or 'TableDef', so its tag would be read as a definition";
    case TagAction::kDataDescription:
      return "is 'DataDescription', so its tag would open a data description";
    case TagAction::kIgnored:
      return "begins with '!' or '?', so its tag would be read as a comment";
    case TagAction::kLeftTables:
    case TagAction::kClosedTable:
    case TagAction::kClosedValue:
    case TagAction::kClosedHolder:
    case TagAction::kClosedNothing:
      return "begins with '/', so its tag would be read as a closing tag";
    default:
      return nullptr;
  }
}

// One table as reading makes it, beside the table of the store it must be.
struct Shadow {
  explicit Shadow(const CTableNode* table) : node(table) {}
  const CTableNode* node;
  std::size_t rows = 0;          // rows begun by reading
  std::size_t values = 0;        // values in the last of them
  std::uint32_t firstField = 0;  // of the first row, once it has a value
  bool firstRowHasValue = false;
};

// Where the walk stands, for the builder to compare with and for messages.
struct Position {
  const CBusinessObject* object = nullptr;
  const CTableNode* table = nullptr;      // the table being written
  std::size_t row = 0;                    // its row being written
  std::size_t value = 0;                  // the row's value being written
  std::optional<std::string_view> field;  // that value's field, when one is
  std::uint32_t fieldIndex = 0;           // and its index in the table's fields
  // A definition being written: a table's name and parent, or a field's
  // key and definition.
  enum class Definition { kNone, kTable, kField } definition = Definition::kNone;
  std::string_view definitionKey;
  std::string_view definitionText;
  // A nested table whose opening tag was written, whose first item is
  // still to come.
  const CTableNode* pendingTable = nullptr;
  // The top-level table whose opening tag is being written.
  const CTableNode* topTable = nullptr;
  // The table whose closing tag is being written.
  const CTableNode* closingTable = nullptr;
};

std::string TablePath(const CTableNode* table) {
  constexpr int kShownLevels = 8;
  std::vector<std::string_view> names;
  int levels = 0;
  for (const CTableNode* t = table; t != nullptr;
       t = t->parentRow() ? t->parentRow()->parentTable() : nullptr) {
    if (++levels <= kShownLevels) names.push_back(t->name());
  }
  std::string path = levels > kShownLevels ? "… > " : "";
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    if (name != names.rbegin()) path += " > ";
    path += Quoted(*name);
  }
  return path;
}

std::size_t IndexOfRow(const CTableNode& table, const CRowNode* row) {
  const auto& rows = table.rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].get() == row) return i;
  }
  return rows.size();
}

class CheckBuilder {
 public:
  using Table = Shadow*;
  using Field = std::uint32_t;  // the index of a name among its table's fields

  explicit CheckBuilder(Position& at) : at_(at) {}

  bool failed() const { return problem_.has_value(); }
  std::optional<ReadBackProblem> TakeProblem() { return std::move(problem_); }

  // Records the first problem only; where it stands is said by the walk's
  // position unless given.
  void Fail(std::string why) {
    if (problem_) return;
    ReadBackProblem problem;
    if (at_.object != nullptr) problem.object = at_.object->id;
    if (at_.table != nullptr) {
      problem.table = at_.table->name();
      if (at_.row < at_.table->rows().size()) problem.row = at_.row + 1;
      if (at_.field) problem.field = std::string(*at_.field);
    }
    problem.where = Where();
    problem.why = std::move(why);
    problem_ = std::move(problem);
  }
  std::string Where() const {
    std::string where = "object " + (at_.object ? Quoted(at_.object->id) : std::string("?"));
    if (at_.table != nullptr) {
      where += ", table " + TablePath(at_.table);
      if (at_.row < at_.table->rows().size()) where += ", row " + std::to_string(at_.row + 1);
      if (at_.field) where += ", field " + Quoted(*at_.field);
    } else if (at_.definition == Position::Definition::kTable) {
      where += ", definition of table " + Quoted(at_.definitionKey);
    } else if (at_.definition == Position::Definition::kField) {
      const SplitText names = SplitAtFirstTab(at_.definitionKey);
      where += ", definition of field " + Quoted(names.second) + " of table " + Quoted(names.first);
    }
    return where;
  }

  // The shadow of the table the rules just closed.
  Shadow* Top() { return shadows_.empty() ? nullptr : &shadows_.back(); }
  void PopTable() { shadows_.pop_back(); }
  void Reset() { shadows_.clear(); }

  void StartObject(std::string_view id) {
    if (at_.object == nullptr) return;
    if (id != at_.object->id) {
      Fail("its ID " + Quoted(at_.object->id) + " would read back as " + Quoted(id));
    }
  }
  void SetHeader(HeaderText which, std::string_view text) {
    if (at_.object == nullptr) return;
    static constexpr const char* kNames[] = {"Author", "Version", "WellID", "Date"};
    const std::string* held[] = {&at_.object->author, &at_.object->version, &at_.object->wellId,
                                 &at_.object->date};
    const auto i = static_cast<std::size_t>(which);
    if (text != *held[i]) {
      Fail("its " + std::string(kNames[i]) + " " + Quoted(*held[i]) + " would read back as " +
           Quoted(text));
    }
  }
  void SetFieldDef(std::string_view key, std::string_view definition) {
    if (key != at_.definitionKey || definition != at_.definitionText) {
      const SplitText names = SplitAtFirstTab(key);
      const SplitText unitAndType = SplitAtFirstTab(definition);
      Fail("it would read back as the definition of field " + Quoted(names.second) + " of table " +
           Quoted(names.first) + " with unit " + Quoted(unitAndType.first) + " and type " +
           Quoted(unitAndType.second));
    }
  }
  void SetTableDef(std::string_view table, std::string_view parent) {
    const SplitText expected{at_.definitionKey, at_.definitionText};
    if (table != expected.first || parent != expected.second) {
      Fail("it would read back as the definition of table " + Quoted(table) + " with parent " +
           Quoted(parent));
    }
  }

  Table AddTopLevelTable(std::string_view) {
    if (at_.topTable == nullptr) {
      Fail("a tag would open a top-level table where none is written");
    }
    shadows_.push_back(Shadow{at_.topTable});
    return &shadows_.back();
  }
  Table AddChildTable(Table parent, std::string_view) {
    const CTableNode* child = at_.pendingTable;
    if (child == nullptr || child->parentRow() == nullptr) {
      Fail("a tag would open a nested table where none is written");
    } else if (parent->node != child->parentRow()->parentTable()) {
      FailAtTable(child,
                  "the table would read back inside the table " + Quoted(parent->node->name()));
    } else {
      const std::size_t row = IndexOfRow(*parent->node, child->parentRow());
      if (parent->rows - 1 != row) {
        FailAtTable(
            child,
            "its row holds no value before it, so the table would move under the row before");
      }
    }
    shadows_.push_back(Shadow{child});
    return &shadows_.back();
  }
  std::string_view NameOf(Table table) const { return table->node->name(); }
  // The value being written is asked for most of the time; any other name
  // is looked for among the table's fields (a name that is none of them
  // gets an index beyond them).
  Field FieldOf(Table table, std::string_view name) const {
    const CTableNode& node = *table->node;
    if (&node == at_.table && at_.field && name.data() == at_.field->data() &&
        name.size() == at_.field->size()) {
      return at_.fieldIndex;
    }
    const auto count = static_cast<std::uint32_t>(node.FieldNameCount());
    for (std::uint32_t i = 0; i < count; ++i) {
      if (node.FieldName(i) == name) return i;
    }
    return count;
  }
  bool HasRow(Table table) const { return table->rows != 0; }
  bool BeginsRows(Table table, Field field) const {
    return table->firstRowHasValue && table->firstField == field;
  }
  void AddRow(Table table) {
    ++table->rows;
    table->values = 0;
  }
  void AddValue(Table table, Field field, std::string_view) {
    if (at_.closingTable != nullptr) {
      Fail(at_.closingTable == at_.pendingTable
               ? "the table holds no rows, so it would read back as a value of the row above"
               : "its closing tag would be read as the end of a value");
    } else if (table->node != at_.table) {
      Fail("the value would read back in the table " + Quoted(table->node->name()));
    } else if (table->rows - 1 < at_.row) {
      if (!table->firstRowHasValue) {
        Fail(
            "the table's first row holds no value, so no later row can be told from it and "
            "this row would join the one before");
      } else {
        Fail("the row does not begin with " + Quoted(FirstFieldName(*table)) +
             ", the field that begins the table's rows, so it would join the row before");
      }
    } else if (table->rows - 1 > at_.row) {
      Fail("the field begins the table's rows, so here it would start a new row");
    } else if (table->values != at_.value) {
      Fail("the value would read back in another place of its row");
    }
    ++table->values;
    if (table->rows == 1 && table->values == 1) {
      table->firstRowHasValue = true;
      table->firstField = field;
    }
  }

 private:
  // A problem of a table as a whole, not of the value being written.
  void FailAtTable(const CTableNode* table, std::string why) {
    at_.table = table;
    at_.row = table->rows().size();
    at_.field.reset();
    Fail(std::move(why));
  }

  static std::string_view FirstFieldName(const Shadow& table) {
    return table.firstField < table.node->FieldNameCount() ? table.node->FieldName(table.firstField)
                                                           : std::string_view("?");
  }

  Position& at_;
  std::deque<Shadow> shadows_;  // the open tables, innermost last
  std::optional<ReadBackProblem> problem_;
};

class ReadBackCheck {
 public:
  ReadBackCheck() : builder_(at_), rules_(builder_) {}

  std::optional<ReadBackProblem> Check(const CBusinessObject& object) {
    CheckObject(object);
    return builder_.TakeProblem();
  }

  std::optional<ReadBackProblem> Check(const CObjectStore& store) {
    for (const auto& object : store.objects()) {
      CheckObject(*object);
      if (builder_.failed()) break;
    }
    return builder_.TakeProblem();
  }

 private:
  // A frame of the walk through one table, as the writer's, with what is
  // known of the table's fields by their index: their closing tags, and
  // whether their value lines can only be read as such.
  struct Frame {
    const CTableNode* table;
    std::size_t row;
    std::size_t child;
    std::vector<std::string_view> closings;
    std::vector<bool> plain;
  };

  bool Expect(TagAction got, TagAction wanted) {
    if (got == wanted) return !builder_.failed();
    builder_.Fail(std::string("its tag would be read as ") + DescribeAction(got) + ", not as " +
                  DescribeAction(wanted));
    return false;
  }

  // A tag the writer writes with attributes: its texts may not end it early.
  bool HandleAttributeTag(const std::string& tag, TagAction wanted, const char* what) {
    if (tag.find('>') != std::string::npos) {
      builder_.Fail(std::string("a text of its ") + what + " holds '>', which would end the tag");
      return false;
    }
    return Expect(rules_.Handle(tag, "\n"), wanted);
  }

  void CheckObject(const CBusinessObject& object) {
    at_ = Position{};
    at_.object = &object;
    // The rules may still view the last object's tag texts.
    rules_.KeepTexts();
    tag_.text.clear();
    AppendObjectTag(tag_, object);
    if (!HandleAttributeTag(tag_.text, TagAction::kStartedObject, "header")) return;
    if (!Expect(rules_.Handle(kDataDescriptionTag, "\n"), TagAction::kDataDescription)) return;
    at_.definition = Position::Definition::kTable;
    for (const auto& [table, parent] : object.TableDefs) {
      at_.definitionKey = table;
      at_.definitionText = parent;
      definitions_.emplace_back();
      AppendTableDefTag(definitions_.back(), table, parent);
      if (!HandleAttributeTag(definitions_.back().text, TagAction::kTableDefinition,
                              "definition")) {
        return;
      }
    }
    at_.definition = Position::Definition::kField;
    for (const auto& [key, definition] : object.FieldDefs) {
      at_.definitionKey = key;
      at_.definitionText = definition;
      definitions_.emplace_back();
      AppendFieldDefTag(definitions_.back(), key, definition);
      if (!HandleAttributeTag(definitions_.back().text, TagAction::kFieldDefinition,
                              "definition")) {
        return;
      }
    }
    at_.definition = Position::Definition::kNone;
    if (!Expect(rules_.Handle("/DataDescription", {}), TagAction::kLeftTables)) return;
    for (const auto& table : object.tables()) {
      if (!CheckTable(*table)) return;
    }
    at_.table = nullptr;
    Expect(rules_.Handle("/BusinessObject", {}), TagAction::kLeftTables);
    rules_.KeepTexts();
    definitions_.clear();
    closings_.clear();
    builder_.Reset();
  }

  // A table and everything below it, through an explicit stack, in the
  // writer's order.
  bool CheckTable(const CTableNode& top) {
    stack_.clear();
    if (!OpenTable(top)) return false;
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      const auto& rows = frame.table->rows();
      if (frame.row == rows.size()) {
        const CTableNode* table = frame.table;
        stack_.pop_back();
        if (!CloseTable(*table)) return false;
        continue;
      }
      const CRowNode& row = *rows[frame.row];
      at_.table = frame.table;
      at_.row = frame.row;
      if (frame.child == 0 && !CheckValues(row, frame)) return false;
      const auto& children = row.childTables();
      if (frame.child < children.size()) {
        const CTableNode& child = *children[frame.child++];
        if (!OpenTable(child)) return false;  // frame is not used after this
        continue;
      }
      ++frame.row;
      frame.child = 0;
    }
    return true;
  }

  bool CheckName(std::string_view name, const char* what) {
    if (name.find('>') == std::string_view::npos) return true;
    builder_.Fail(std::string("the ") + what + " holds '>', which would end its tag");
    return false;
  }

  bool OpenTable(const CTableNode& table) {
    at_.table = &table;
    at_.row = table.rows().size();
    at_.field.reset();
    if (!CheckName(table.name(), "table name")) return false;
    const bool top = table.parentRow() == nullptr;
    const TagAction wanted = top                ? TagAction::kOpenedTopLevelTable
                             : at_.pendingTable ? TagAction::kOpenedNestedTable
                                                : TagAction::kProvisionalField;
    at_.topTable = top ? &table : nullptr;
    const TagAction got = rules_.Handle(table.name(), "\n");
    at_.topTable = nullptr;
    if (got != wanted && got != TagAction::kOpenedNestedTable) {
      if (const char* why = WhyNameMisreads(got)) {
        builder_.Fail(std::string("the table name ") + why);
        return false;
      }
    }
    if (!Expect(got, wanted)) return false;
    if (wanted == TagAction::kOpenedNestedTable) {
      // This table is the first item of the pending one, and would be
      // taken for a field of it.
      at_.table = at_.pendingTable;
      builder_.Fail("the first row of the table begins with the table " + Quoted(table.name()) +
                    " rather than with a value, so that table would read back as values");
      return false;
    }
    at_.pendingTable = top ? nullptr : &table;
    Frame frame{&table, 0, 0, {}, {}};
    frame.closings.resize(table.FieldNameCount());
    frame.plain.resize(table.FieldNameCount());
    for (std::size_t i = 0; i < frame.closings.size(); ++i) {
      const std::string_view name = table.FieldName(static_cast<std::uint32_t>(i));
      frame.closings[i] = Closing(name);
      frame.plain[i] = name.find('>') == std::string_view::npos &&
                       TagRules<CheckBuilder>::IsPlainValueName(name, table.name());
    }
    stack_.push_back(std::move(frame));
    return true;
  }

  bool CloseTable(const CTableNode& table) {
    at_.table = &table;
    at_.row = table.rows().size();
    at_.field.reset();
    at_.closingTable = &table;
    const TagAction got = rules_.Handle(Closing(table.name()), {});
    at_.closingTable = nullptr;
    if (!Expect(got, TagAction::kClosedTable)) return false;
    Shadow* shadow = builder_.Top();
    if (shadow == nullptr || shadow->node != &table) {
      builder_.Fail("its closing tag would close another table");
      return false;
    }
    if (shadow->rows != table.rows().size()) {
      for (std::size_t i = 0; i < table.rows().size(); ++i) {
        const CRowNode& row = *table.rows()[i];
        if (row.values().empty() && row.childTables().empty()) {
          at_.row = i;
          builder_.Fail("the row holds nothing, so it would disappear");
          return false;
        }
      }
      builder_.Fail("it would read back with " + std::to_string(shadow->rows) +
                    " rows instead of " + std::to_string(table.rows().size()));
      return false;
    }
    builder_.PopTable();
    at_.pendingTable = nullptr;
    return true;
  }

  bool CheckValues(const CRowNode& row, const Frame& frame) {
    const CTableNode& table = *row.parentTable();
    const auto& values = row.values();
    for (std::size_t i = 0; i < values.size(); ++i) {
      const CValueNode& value = values[i];
      const std::string_view field = table.FieldName(value.fieldIndex());
      const std::string_view text = value.value();
      at_.value = i;
      at_.field = field;
      at_.fieldIndex = value.fieldIndex();
      // Every way into a document refuses a value with "<", and reading
      // ends a value there; the check still makes sure.
      if (std::memchr(text.data(), '<', text.size()) != nullptr) {
        builder_.Fail("the value holds '<', which would start a tag");
        return false;
      }
      const std::string_view closing = frame.closings[value.fieldIndex()];
      if (frame.plain[value.fieldIndex()] && at_.pendingTable == nullptr &&
          rules_.TakePlainValueLine(field, text, closing)) {
        if (builder_.failed()) return false;
        continue;
      }
      if (!CheckName(field, "field name")) return false;
      const TagAction wanted =
          at_.pendingTable ? TagAction::kOpenedNestedTable : TagAction::kProvisionalField;
      const TagAction opened = rules_.Handle(field, text);
      if (opened != wanted) {
        if (const char* why = WhyNameMisreads(opened)) {
          builder_.Fail(std::string("the field name ") + why);
          return false;
        }
      }
      if (!Expect(opened, wanted)) return false;
      at_.pendingTable = nullptr;
      const TagAction closed = rules_.Handle(closing, {});
      if (closed == TagAction::kClosedTable) {
        builder_.Fail(
            "the field bears the name of its table, so its closing tag would close the "
            "table");
        return false;
      }
      if (!Expect(closed, TagAction::kClosedValue)) return false;
    }
    at_.field.reset();
    at_.value = values.size();
    return true;
  }

  // "/" and the name, kept while the object is checked: the rules may
  // view it until then.
  std::string_view Closing(std::string_view name) {
    auto found = closings_.find(name);
    if (found == closings_.end()) {
      found = closings_.emplace(std::string(name), "/" + std::string(name)).first;
    }
    return found->second;
  }

  Position at_;
  CheckBuilder builder_;
  TagRules<CheckBuilder> rules_;
  TagText tag_;
  std::deque<TagText> definitions_;  // kept while the rules may view them
  std::map<std::string, std::string, std::less<>> closings_;
  std::vector<Frame> stack_;
};

}  // namespace

std::optional<ReadBackProblem> FindReadBackProblem(const CObjectStore& store) {
  return ReadBackCheck().Check(store);
}

std::optional<ReadBackProblem> FindReadBackProblem(const CBusinessObject& object) {
  return ReadBackCheck().Check(object);
}

}  // namespace kuv::io
