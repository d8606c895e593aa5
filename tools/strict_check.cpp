#include "strict_check.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "content_walk.h"

namespace kuv::tool {

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A decimal number such as "-12.5e3", ".5" or "7.": every such text reads
// whole with strtod, and most values of a document are one, so strtod is
// asked only about the rest (infinities, NaN, and what is no number).
bool IsPlainDecimal(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

bool IsFloat(std::string_view text) {
  if (IsPlainDecimal(text)) return true;
  // strtod would take these, and a reader of the value would not.
  if (text.find_first_of(" \t\r\n") != std::string_view::npos) return false;
  if (text.find("0x") != std::string_view::npos || text.find("0X") != std::string_view::npos) {
    return false;
  }
  // strtod wants a terminated text; numbers are short, and get one on the
  // stack.
  char small[64];
  std::string large;
  const char* terminated = small;
  if (text.size() < sizeof small) {
    text.copy(small, text.size());
    small[text.size()] = '\0';
  } else {
    large.assign(text);
    terminated = large.c_str();
  }
  char* end = nullptr;
  errno = 0;
  std::strtod(terminated, &end);
  return end == terminated + text.size() && !text.empty();
}

bool IsInteger(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return false;  // fits 64 bits
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool IsValidDate(std::string_view text) {
  const std::optional<DateParts> parts = ParseDate(text);
  if (!parts) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int days = parts->month == 2 && IsLeapYear(parts->year) ? 29 : kDays[parts->month - 1];
  return parts->day <= days;
}

bool FitsKind(std::string_view text, ValueKind kind) {
  text = Trimmed(text);
  if (text.empty()) return true;
  switch (kind) {
    case ValueKind::kText:
      return true;
    case ValueKind::kFloat:
      return IsFloat(text);
    case ValueKind::kInteger:
      return IsInteger(text);
    case ValueKind::kBoolean:
      return ParseBooleanWord(text).has_value();
    case ValueKind::kDate:
      return IsValidDate(text);
  }
  return true;
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

  StrictReport Take() { return std::move(report_); }

 private:
  // One line of text: long values are cut and control characters shown
  // by number, so that a report line says what is wrong and nothing else.
  std::string Text(std::string_view bytes) const {
    constexpr std::size_t kShown = 60;
    const bool cut = bytes.size() > kShown;
    const std::string text = DecodeForDisplay(bytes.substr(0, kShown), encoding_);
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
      const std::optional<std::string_view> type = DeclaredType(object, table, field);
      const FieldRule rule{object.field_definition(table, field).has_value(), type,
                           type ? KindOfType(*type) : ValueKind::kText};
      found = rules_.emplace(key_, rule).first;
    }
    return found->second;
  }

  // The field's declared type: the object's definition, else the
  // template's; nullopt when neither declares it.
  std::optional<std::string_view> DeclaredType(const BusinessObject& object, std::string_view table,
                                               std::string_view field) {
    if (const std::optional<FieldDefinition> own = object.field_definition(table, field)) {
      return own->type;
    }
    if (definitions_ != nullptr) {
      if (const std::optional<FieldDefinition> standard =
              definitions_->field_definition(object.id(), table, field)) {
        return standard->type;
      }
    }
    return std::nullopt;
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
          if (rule.type && !FitsKind(item.text, rule.kind)) {
            Add(table, row, item.name,
                "'" + Text(item.text) + "' is not of type " + Text(Trimmed(*rule.type)));
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
  std::string key_;  // reused, so that a lookup allocates nothing
};

}  // namespace

StrictReport CheckStrictly(const Document& document, const Template* definitions,
                           Encoding encoding) {
  Checker checker(definitions, encoding);
  if (!document.complete()) {
    checker.Add({}, 0, {}, "the document ends before its closing root tag: it was cut short");
  }
  for (const BusinessObject object : document.objects()) checker.CheckObject(object);
  return checker.Take();
}

}  // namespace kuv::tool
