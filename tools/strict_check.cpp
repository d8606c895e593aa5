#include "strict_check.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "content_walk.h"
#include "kuv/values.hpp"

namespace kuv::tool {

namespace {

// A header's Date: the Date text of a real day, within ParseDate's ranges.
bool IsValidDate(std::string_view text) {
  return ParseDate(text).has_value() &&
         ReadValue(text, ValueKind::kDate).reading == ValueReading::kValue;
}

}  // namespace

std::optional<FieldDefinition> DeclaredField(const BusinessObject& object,
                                             const Template* definitions, std::string_view table,
                                             std::string_view field) {
  if (std::optional<FieldDefinition> own = object.field_definition(table, field)) return own;
  if (definitions == nullptr) return std::nullopt;
  return definitions->field_definition(object.id(), table, field);
}

namespace {

// Collects the findings of one document, up to kMaxFindings.
class Checker {
 public:
  Checker(const Template* definitions, Encoding encoding)
      : definitions_(definitions), encoding_(encoding) {}

  void CheckObject(const BusinessObject& object) {
    object_ = object.id();
    if (!IsValidDate(object.date())) {
      Add({}, 0, {}, "its Date '" + Text(object.date()) + "' is not a valid timestamp");
    }
    CheckDefinitionsAgainstTemplate(object);
    CheckContent(object);
  }

  void Add(std::string_view table, long long row, std::string_view field, std::string problem) {
    if (report_.findings.size() >= kMaxFindings) {
      ++report_.more;
      return;
    }
    report_.findings.push_back(
        {std::string(object_), std::string(table), row, std::string(field), std::move(problem)});
  }

  void AddNote(const ReadNote& note) {
    object_ = note.object;
    Add(note.table, static_cast<long long>(note.row), {}, Text(note.what, note.what.size()));
  }

  void AddReadBackProblem(const ReadBackProblem& problem) {
    object_ = problem.object;
    Add(problem.table, static_cast<long long>(problem.row), problem.field.value_or(""),
        "it would not read back as it is once saved: " + Text(problem.why, problem.why.size()));
  }

  StrictReport Take() { return std::move(report_); }

 private:
  // One line of text: long values are cut and control characters shown
  // by number, so that a report line says what is wrong and nothing else.
  std::string Text(std::string_view bytes, std::size_t shownBytes = 60) const {
    const bool cut = bytes.size() > shownBytes;
    const std::string text = DecodeForDisplay(bytes.substr(0, shownBytes), encoding_);
    std::string shown;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x20 && byte != 0x7F) {
        shown += c;
      } else {
        static constexpr char kHex[] = "0123456789abcdef";
        shown += "\\x";
        shown += kHex[byte >> 4];
        shown += kHex[byte & 0xF];
      }
    }
    return cut ? shown + "..." : shown;
  }

  void CheckDefinitionsAgainstTemplate(const BusinessObject& object) {
    if (definitions_ == nullptr) return;
    for (const FieldDefinition& field : object.field_definitions()) {
      const std::optional<FieldDefinition> expected =
          definitions_->field_definition(object.id(), field.table, field.field);
      if (!expected) continue;
      if (field.unit != expected->unit) {
        Add(field.table, 0, field.field,
            "its unit '" + Text(field.unit) + "' differs from the template's '" +
                Text(expected->unit) + "'");
      }
      if (field.type != expected->type) {
        Add(field.table, 0, field.field,
            "its type '" + Text(field.type) + "' differs from the template's '" +
                Text(expected->type) + "'");
      }
    }
  }

  // What a value of a field is checked against, worked out once per field
  // of an object rather than for every value.
  struct FieldRule {
    bool declared;  // by the object itself
    std::optional<std::string_view> type;
    ValueKind kind;
  };

  const FieldRule& RuleOf(const BusinessObject& object, std::string_view table,
                          std::string_view field) {
    // Table and field joined with a tab, as the definitions key them.
    key_.assign(table).append(1, '\t').append(field);
    auto found = rules_.find(key_);
    if (found == rules_.end()) {
      const std::optional<FieldDefinition> declared =
          DeclaredField(object, definitions_, table, field);
      std::optional<std::string_view> type;
      if (declared) type = declared->type;
      const FieldRule rule{object.field_definition(table, field).has_value(), type,
                           type ? KindOfType(*type) : ValueKind::kText};
      found = rules_.emplace(key_, rule).first;
    }
    return found->second;
  }

  void CheckContent(const BusinessObject& object) {
    std::set<std::string_view> tablesReported;
    std::set<std::pair<std::string_view, std::string_view>> fieldsReported;
    std::vector<std::pair<std::string_view, long long>> open;  // table, rows so far
    rules_.clear();
    ContentWalk walk(object);
    ContentEvent item;
    while (walk.Next(&item)) {
      switch (item.step) {
        case ContentStep::kOpenTable: {
          const std::string_view parentTable =
              open.empty() ? std::string_view() : open.back().first;
          const long long parentRow = open.empty() ? 0 : open.back().second;
          const std::optional<std::string_view> declaredParent = object.parent_of(item.name);
          if (!declaredParent) {
            if (tablesReported.insert(item.name).second) {
              Add(item.name, 0, {}, "the table is used but not declared");
            }
          } else if (*declaredParent != parentTable && tablesReported.insert(item.name).second) {
            Add(parentTable, parentRow, {},
                "table " + Text(item.name) + " stands here but is declared " +
                    (declaredParent->empty() ? std::string("at the top level")
                                             : "under " + Text(*declaredParent)));
          }
          open.emplace_back(item.name, 0);
          break;
        }
        case ContentStep::kBeginRow:
          ++open.back().second;
          break;
        case ContentStep::kValue: {
          const std::string_view table = open.back().first;
          const long long row = open.back().second;
          const FieldRule& rule = RuleOf(object, table, item.name);
          if (!rule.declared) {
            if (fieldsReported.insert({table, item.name}).second) {
              Add(table, row, item.name, "the field is used but not declared");
            }
          }
          if (rule.type) {
            const ValueReading reading = ReadValue(item.text, rule.kind).reading;
            if (reading == ValueReading::kNotOfKind) {
              Add(table, row, item.name,
                  "'" + Text(item.text) + "' is not of type " + Text(TrimBlanks(*rule.type)));
            } else if (reading == ValueReading::kOutOfRange) {
              Add(table, row, item.name,
                  "'" + Text(item.text) + "' is out of range for type " +
                      Text(TrimBlanks(*rule.type)));
            }
          }
          break;
        }
        case ContentStep::kCloseTable:
          open.pop_back();
          break;
      }
    }
  }

  const Template* definitions_;
  Encoding encoding_;
  std::string_view object_;
  StrictReport report_;
  std::unordered_map<std::string, FieldRule> rules_;  // of the object being checked
  std::string key_;                                   // reused, so that a lookup allocates nothing
};

}  // namespace

StrictReport CheckStrictly(const Document& document, const std::vector<ReadNote>& notes,
                           const Template* definitions, Encoding encoding) {
  Checker checker(definitions, encoding);
  if (!document.complete()) {
    checker.Add({}, 0, {}, "the document ends before its closing root tag: it was cut short");
  }
  for (const ReadNote& note : notes) checker.AddNote(note);
  if (const std::optional<ReadBackProblem> problem = document.FindReadBackProblem()) {
    checker.AddReadBackProblem(*problem);
  }
  for (const BusinessObject object : document.objects()) checker.CheckObject(object);
  return checker.Take();
}

}  // namespace kuv::tool
