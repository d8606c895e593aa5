#include "content_reader.h"

#include <map>
#include <string>
#include <utility>

#include "content_builder.h"

namespace kuv::tool {

namespace {

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

struct EnumeratedValue {
  ValueRecord record;
  std::string unit;
  std::string type;
};

// One call of KuvGetNextValue, its strings copied before the next call
// overwrites them.
bool NextValue(const KuvLibrary& kuv, EnumeratedValue* out) {
  char* table = nullptr;
  char* field = nullptr;
  char* type = nullptr;
  char* unit = nullptr;
  char* value = nullptr;
  char* parent = nullptr;
  int row = 0;
  if (!kuv.KuvGetNextValue(&table, &field, &type, &unit, &value, &parent, &row)) return false;
  out->record.table = Text(table);
  out->record.field = Text(field);
  out->record.value = Text(value);
  out->record.parentTable = Text(parent);
  out->record.rowIndex = row;
  out->unit = Text(unit);
  out->type = Text(type);
  return true;
}

// The interface tests one table and parent at a time, so searching every
// pair is quadratic; beyond this many tests the tree's parent stands.
constexpr long long kParentTestBudget = 1 << 20;

// The parent that the object declares for table, tried first among the
// parents it was seen under, then among every other table of the object;
// the parent seen in the tree when the declaration cannot be found.
std::string DeclaredParent(const KuvLibrary& kuv, const std::string& table,
                           const std::string& seenParent,
                           const std::vector<TableDefinition>& tables, long long* budget) {
  if (!seenParent.empty() && kuv.KuvIsParent(table.c_str(), seenParent.c_str())) {
    return seenParent;
  }
  if (*budget < static_cast<long long>(tables.size())) return seenParent;
  *budget -= static_cast<long long>(tables.size());
  for (const TableDefinition& other : tables) {
    if (other.table != seenParent && kuv.KuvIsParent(table.c_str(), other.table.c_str())) {
      return other.table;
    }
  }
  return seenParent;
}

}  // namespace

bool ReadNextHeader(const KuvLibrary& kuv, ObjectHeader* header) {
  char* id = nullptr;
  char* author = nullptr;
  char* version = nullptr;
  char* wellId = nullptr;
  char* date = nullptr;
  if (!kuv.KuvGetNextObject(&id, &author, &version, &wellId, &date)) return false;
  *header = {Text(id), Text(author), Text(version), Text(wellId), Text(date)};
  return true;
}

bool SelectObject(const KuvLibrary& kuv, const std::string& id, ObjectHeader* header) {
  if (!kuv.KuvObjectExists(id.c_str())) return false;
  // The walk wraps around after the last object, so one round and a step
  // reach every object from wherever it stands.
  char** names = nullptr;
  int count = 0;
  if (!kuv.KuvObjectList(&names, &count)) return false;
  for (int step = 0; step <= count + 1; ++step) {
    if (ReadNextHeader(kuv, header) && header->id == id) return true;
  }
  return false;
}

bool ReadNextObject(const KuvLibrary& kuv, ObjectContent* object) {
  if (!ReadNextHeader(kuv, &object->header)) return false;
  ReadCurrentObject(kuv, object);
  return true;
}

void ReadCurrentObject(const KuvLibrary& kuv, ObjectContent* object) {
  object->tables.clear();
  object->fields.clear();

  // Tables and fields in the order they are first met.
  std::map<std::string, std::size_t> tableAt;
  std::vector<bool> holdsValues;  // by table, in the order of object->tables
  std::map<std::pair<std::string, std::string>, std::size_t> fieldAt;
  const auto noteTable = [&](const std::string& table, const std::string& parent) {
    const auto [at, added] = tableAt.emplace(table, object->tables.size());
    if (added) {
      object->tables.push_back({table, parent});
      holdsValues.push_back(false);
    } else if (object->tables[at->second].parent.empty()) {
      // First met as the parent of another table, now under its own parent.
      object->tables[at->second].parent = parent;
    }
  };

  ContentBuilder builder([&kuv](const std::string& table, const std::string& parent) {
    return kuv.KuvIsParent(table.c_str(), parent.c_str()) != 0;
  });
  EnumeratedValue value;
  while (NextValue(kuv, &value)) {
    const ValueRecord& record = value.record;
    if (!record.parentTable.empty()) noteTable(record.parentTable, std::string());
    noteTable(record.table, record.parentTable);
    holdsValues[tableAt[record.table]] = true;
    if (fieldAt.emplace(std::make_pair(record.table, record.field), object->fields.size()).second) {
      object->fields.push_back({record.table, record.field, value.unit, value.type});
    }
    builder.Add(record);
  }
  object->content = builder.Finish();

  // Where the interface can confirm a declaration, it names the parent. A
  // table without values of its own has no place in the tree to go by, so
  // its declaration is searched for.
  const std::vector<TableDefinition> seen = object->tables;
  const std::vector<TableDefinition> none;
  long long budget = kParentTestBudget;
  for (std::size_t i = 0; i < object->tables.size(); ++i) {
    TableDefinition& table = object->tables[i];
    const std::vector<TableDefinition>& candidates = holdsValues[i] ? none : seen;
    table.parent = DeclaredParent(kuv, table.table, table.parent, candidates, &budget);
  }
}

long long CountValuesOfCurrentObject(const KuvLibrary& kuv) {
  char* table = nullptr;
  char* field = nullptr;
  char* type = nullptr;
  char* unit = nullptr;
  char* value = nullptr;
  char* parent = nullptr;
  int row = 0;
  long long count = 0;
  while (kuv.KuvGetNextValue(&table, &field, &type, &unit, &value, &parent, &row)) ++count;
  return count;
}

}  // namespace kuv::tool
