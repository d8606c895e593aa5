// Rows are matched group by group (the rows of one table name under one
// parent row), parents before the rows they hold, so that a child table's
// rows are matched under the matched rows alone.
#include "document/diff_tables.h"

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "document/diff_row_index.h"

namespace kuv::diff_detail {

namespace {

// How the rows of a table name are matched.
struct RowKey {
  std::string_view field;  // the key field; empty when there is none
  bool named = false;      // chosen in the options: repeated texts go in order
  bool decided = false;    // whether byPosition was settled
  bool byPosition = false;
};

// A row's path shows this many of its rows; deeper ones begin with "...".
constexpr std::size_t kPathLevels = 16;

class TableDiff {
 public:
  TableDiff(const BusinessObject& before, const BusinessObject& after, const DiffOptions& options,
            const Difference& prototype, const std::function<void(const Difference&)>& report)
      : before_(before),
        after_(after),
        options_(options),
        prototype_(prototype),
        report_(report),
        beforeRows_(before),
        afterRows_(after),
        beforeMatch_(beforeRows_.rows().size(), kNone),
        afterMatch_(afterRows_.rows().size(), kNone) {}

  void Run() {
    for (const RowGroup& group : beforeRows_.groups()) {
      std::size_t parent = kNone;
      if (group.parent != kNone) {
        parent = beforeMatch_[group.parent];
        if (parent == kNone) continue;  // gone with the row that held it
      }
      const std::size_t other = afterRows_.FindGroup(parent, group.table);
      if (other == kNone) {
        ReportTable(DiffChange::kRemoved, group, beforeRows_);
      } else {
        MatchGroup(group, afterRows_.groups()[other]);
      }
    }
    for (const RowGroup& group : afterRows_.groups()) {
      std::size_t parent = kNone;
      if (group.parent != kNone) {
        parent = afterMatch_[group.parent];
        if (parent == kNone) continue;
      }
      if (beforeRows_.FindGroup(parent, group.table) == kNone) {
        ReportTable(DiffChange::kAdded, group, afterRows_);
      }
    }
  }

 private:
  void MatchGroup(const RowGroup& a, const RowGroup& b) {
    RowKey& key = KeyFor(a.table);
    // Rows whose keys line up pair off in order, whichever way the table
    // is matched: the common case of values changed in place.
    if (Aligned(a, b, key)) {
      for (std::size_t i = 0; i < a.rows.size(); ++i) Pair(a.rows[i], b.rows[i]);
    } else {
      Decide(a.table, key);
      if (!key.byPosition) {
        MatchByKey(a, b, key);
      } else {
        for (std::size_t i = 0; i < a.rows.size() && i < b.rows.size(); ++i) {
          Pair(a.rows[i], b.rows[i]);
        }
      }
    }
    for (const std::size_t i : a.rows) {
      if (beforeMatch_[i] == kNone) {
        ReportRow(DiffChange::kRemoved, i, beforeRows_);
      } else {
        CompareRows(a.table, i, beforeMatch_[i]);
      }
    }
    for (const std::size_t j : b.rows) {
      if (afterMatch_[j] == kNone) ReportRow(DiffChange::kAdded, j, afterRows_);
    }
  }

  void Pair(std::size_t i, std::size_t j) {
    beforeMatch_[i] = j;
    afterMatch_[j] = i;
  }

  // The key of a table name: the field the options name, else the field
  // that begins its first row (whether its texts are unique is settled
  // only when it matters).
  RowKey& KeyFor(std::string_view table) {
    const auto [found, added] = keys_.try_emplace(table);
    RowKey& key = found->second;
    if (!added) return key;
    if (const auto named = options_.keys.find(table); named != options_.keys.end()) {
      key.field = named->second;
      key.named = true;
      key.decided = true;
      return key;
    }
    for (const RowIndex* side : {&beforeRows_, &afterRows_}) {
      const std::vector<std::size_t>& groups = side->GroupsNamed(table);
      if (groups.empty()) continue;
      const Items<Value> values =
          side->rows()[side->groups()[groups.front()].rows.front()].row.values();
      if (!values.empty()) key.field = values[0].field;
      break;
    }
    if (key.field.empty()) key.decided = key.byPosition = true;
    return key;
  }

  std::optional<std::string_view> KeyText(const Row& row, const RowKey& key) const {
    if (key.field.empty()) return std::nullopt;
    const Items<Value> values = row.values();
    if (!key.named) {
      if (values.empty() || values[0].field != key.field) return std::nullopt;
      return values[0].text;
    }
    for (const Value value : values) {
      if (value.field == key.field) return value.text;
    }
    return std::nullopt;
  }

  bool Aligned(const RowGroup& a, const RowGroup& b, const RowKey& key) const {
    if (a.rows.size() != b.rows.size()) return false;
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
      if (KeyText(beforeRows_.rows()[a.rows[i]].row, key) !=
          KeyText(afterRows_.rows()[b.rows[i]].row, key)) {
        return false;
      }
    }
    return true;
  }

  // The first field is a key when every row of the table name begins with
  // it and its texts are unique under each parent row, on both sides.
  void Decide(std::string_view table, RowKey& key) const {
    if (key.decided) return;
    key.decided = true;
    std::unordered_set<std::string_view> seen;
    for (const RowIndex* side : {&beforeRows_, &afterRows_}) {
      for (const std::size_t group : side->GroupsNamed(table)) {
        seen.clear();
        for (const std::size_t row : side->groups()[group].rows) {
          const std::optional<std::string_view> text = KeyText(side->rows()[row].row, key);
          if (!text || !seen.insert(*text).second) {
            key.byPosition = true;
            return;
          }
        }
      }
    }
  }

  // Rows of one key text pair off in order, as do rows without the key.
  void MatchByKey(const RowGroup& a, const RowGroup& b, const RowKey& key) {
    struct Candidates {
      std::vector<std::size_t> rows;
      std::size_t next = 0;
    };
    std::unordered_map<std::string_view, Candidates> byText;
    Candidates keyless;
    for (const std::size_t j : b.rows) {
      const std::optional<std::string_view> text = KeyText(afterRows_.rows()[j].row, key);
      (text ? byText[*text] : keyless).rows.push_back(j);
    }
    for (const std::size_t i : a.rows) {
      const std::optional<std::string_view> text = KeyText(beforeRows_.rows()[i].row, key);
      Candidates* candidates = &keyless;
      if (text) {
        const auto found = byText.find(*text);
        if (found == byText.end()) continue;
        candidates = &found->second;
      }
      if (candidates->next < candidates->rows.size()) {
        Pair(i, candidates->rows[candidates->next++]);
      }
    }
  }

  static void ValuesOf(const Row& row, std::vector<Value>* values) {
    values->clear();
    for (const Value value : row.values()) values->push_back(value);
  }

  static int OccurrenceAt(const std::vector<Value>& values, std::size_t index) {
    int occurrence = 0;
    for (std::size_t k = 0; k < index; ++k) occurrence += values[k].field == values[index].field;
    return occurrence;
  }

  void CompareRows(std::string_view table, std::size_t i, std::size_t j) {
    ValuesOf(beforeRows_.rows()[i].row, &beforeValues_);
    ValuesOf(afterRows_.rows()[j].row, &afterValues_);
    const std::vector<Value>& a = beforeValues_;
    const std::vector<Value>& b = afterValues_;
    bool sameFields = a.size() == b.size();
    for (std::size_t k = 0; sameFields && k < a.size(); ++k) sameFields = a[k].field == b[k].field;
    if (sameFields) {
      for (std::size_t k = 0; k < a.size(); ++k) {
        if (!Same(table, a[k].field, a[k].text, b[k].text)) {
          ReportValue(DiffChange::kChanged, table, i, j, a[k].field, OccurrenceAt(a, k), a[k].text,
                      b[k].text);
        }
      }
      return;
    }
    // Fields differ: a value goes with the value of its field and
    // occurrence on the other side.
    std::map<std::pair<std::string_view, int>, std::size_t> inAfter;
    for (std::size_t k = 0; k < b.size(); ++k)
      inAfter.emplace(std::pair(b[k].field, OccurrenceAt(b, k)), k);
    std::vector<bool> used(b.size(), false);
    for (std::size_t k = 0; k < a.size(); ++k) {
      const int occurrence = OccurrenceAt(a, k);
      const auto found = inAfter.find(std::pair(a[k].field, occurrence));
      if (found == inAfter.end()) {
        ReportValue(DiffChange::kRemoved, table, i, j, a[k].field, occurrence, a[k].text,
                    std::nullopt);
        continue;
      }
      used[found->second] = true;
      const std::string_view text = b[found->second].text;
      if (!Same(table, a[k].field, a[k].text, text)) {
        ReportValue(DiffChange::kChanged, table, i, j, a[k].field, occurrence, a[k].text, text);
      }
    }
    for (std::size_t k = 0; k < b.size(); ++k) {
      if (!used[k]) {
        ReportValue(DiffChange::kAdded, table, i, j, b[k].field, OccurrenceAt(b, k), std::nullopt,
                    b[k].text);
      }
    }
  }

  bool Same(std::string_view table, std::string_view field, std::string_view a,
            std::string_view b) {
    if (a == b) return true;
    if (!options_.tolerance) return false;
    return SameValue(a, b, KindOf(table, field), options_.tolerance);
  }

  // By the first object's definition, else the second's.
  ValueKind KindOf(std::string_view table, std::string_view field) {
    const auto [found, added] = kinds_.try_emplace(std::pair(table, field), ValueKind::kText);
    if (added) {
      std::optional<FieldDefinition> definition = before_.field_definition(table, field);
      if (!definition) definition = after_.field_definition(table, field);
      if (definition) found->second = KindOfType(definition->type);
    }
    return found->second;
  }

  // "Casing[Name=Surface]" or "CementStage[2]".
  std::string Element(const RowIndex& side, std::size_t index) {
    const IndexedRow& row = side.rows()[index];
    const RowGroup& group = side.groups()[row.group];
    RowKey& key = KeyFor(group.table);
    Decide(group.table, key);
    std::string element(group.table);
    element += '[';
    const std::optional<std::string_view> text =
        key.byPosition ? std::nullopt : KeyText(row.row, key);
    if (!text) {
      element += std::to_string(row.position + 1);
    } else {
      element.append(key.field).append("=").append(*text);
      // A text repeated under a named key: which of them.
      std::size_t earlier = 0;
      for (std::uint32_t p = 0; key.named && p < row.position; ++p) {
        earlier += KeyText(side.rows()[group.rows[p]].row, key) == text;
      }
      if (earlier > 0) element += " (" + std::to_string(earlier + 1) + ")";
    }
    return element + ']';
  }

  std::string PathOf(const RowIndex& side, std::size_t index) {
    std::vector<std::string> elements;
    for (std::size_t at = index; at != kNone; at = side.rows()[at].parent) {
      if (elements.size() == kPathLevels) {
        elements.emplace_back("...");
        break;
      }
      elements.push_back(Element(side, at));
    }
    std::string path;
    for (auto element = elements.rbegin(); element != elements.rend(); ++element) {
      if (!path.empty()) path += '/';
      path += *element;
    }
    return path;
  }

  Difference Make(DiffPart part, DiffChange change, std::string_view table) const {
    Difference difference = prototype_;
    difference.part = part;
    difference.change = change;
    difference.table = std::string(table);
    return difference;
  }

  void ReportValue(DiffChange change, std::string_view table, std::size_t i, std::size_t j,
                   std::string_view field, int occurrence, std::optional<std::string_view> before,
                   std::optional<std::string_view> after) {
    Difference difference = Make(DiffPart::kValue, change, table);
    difference.row = PathOf(beforeRows_, i);
    difference.beforeRow = beforeRows_.rows()[i].id;
    difference.afterRow = afterRows_.rows()[j].id;
    difference.field = std::string(field);
    difference.occurrence = occurrence;
    if (before) difference.before = std::string(*before);
    if (after) difference.after = std::string(*after);
    report_(difference);
  }

  void ReportRow(DiffChange change, std::size_t index, const RowIndex& side) {
    const IndexedRow& row = side.rows()[index];
    Difference difference = Make(DiffPart::kRow, change, side.groups()[row.group].table);
    difference.row = PathOf(side, index);
    std::string values;
    for (const Value value : row.row.values()) {
      if (!values.empty()) values += ", ";
      values.append(value.field).append("=").append(value.text);
    }
    if (change == DiffChange::kAdded) {
      difference.afterRow = row.id;
      difference.after = std::move(values);
    } else {
      difference.beforeRow = row.id;
      difference.before = std::move(values);
    }
    report_(difference);
  }

  void ReportTable(DiffChange change, const RowGroup& group, const RowIndex& side) {
    Difference difference = Make(DiffPart::kTable, change, group.table);
    if (group.parent != kNone) difference.row = PathOf(side, group.parent);
    std::string count =
        std::to_string(group.rows.size()) + (group.rows.size() == 1 ? " row" : " rows");
    (change == DiffChange::kAdded ? difference.after : difference.before) = std::move(count);
    report_(difference);
  }

  const BusinessObject& before_;
  const BusinessObject& after_;
  const DiffOptions& options_;
  const Difference& prototype_;
  const std::function<void(const Difference&)>& report_;
  RowIndex beforeRows_;
  RowIndex afterRows_;
  std::vector<std::size_t> beforeMatch_;  // each row's match on the other side
  std::vector<std::size_t> afterMatch_;
  std::unordered_map<std::string_view, RowKey> keys_;
  std::map<std::pair<std::string_view, std::string_view>, ValueKind> kinds_;
  std::vector<Value> beforeValues_;  // the rows compared last, reused
  std::vector<Value> afterValues_;
};

}  // namespace

void DiffTables(const BusinessObject& before, const BusinessObject& after,
                const DiffOptions& options, const Difference& prototype,
                const std::function<void(const Difference&)>& report) {
  TableDiff(before, after, options, prototype, report).Run();
}

}  // namespace kuv::diff_detail
