#include "core/value_enumeration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"

namespace kuv {
namespace {

// One delivered value, as the host sees it.
struct Value {
  std::string table, field, type, unit, value, parentTable;
  int rowIndex = -1;
  bool operator==(const Value& o) const {
    return table == o.table && field == o.field && type == o.type && unit == o.unit &&
           value == o.value && parentTable == o.parentTable && rowIndex == o.rowIndex;
  }
};
std::ostream& operator<<(std::ostream& out, const Value& v) {
  return out << v.table << "/" << v.field << "=" << v.value << " [" << v.unit << "|" << v.type
             << "] parent " << v.parentTable << " row " << v.rowIndex;
}

// Calls KuvGetNextValue once; the result 0 gives nothing.
std::optional<Value> NextValue() {
  char* text[6] = {};
  int row = -1;
  if (KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row) != 1) {
    return std::nullopt;
  }
  return Value{text[0], text[1], text[2], text[3], text[4], text[5], row};
}

// Every value up to the end of the enumeration.
std::vector<Value> AllValues() {
  std::vector<Value> values;
  while (std::optional<Value> v = NextValue()) values.push_back(*v);
  return values;
}

class ValueEnumeration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.loaded());
    state().TEST_SetAttached(true);
  }
  static LibraryState& state() { return *CurrentState(); }
  static CObjectStore& store() { return state().TEST_dataStore(); }
  // Makes the object at index the current one: the walk over the store
  // runs to its end, which starts it again, and then up to the object.
  static void SelectObject(int index) {
    char* text[5];
    while (KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]) == 1) {
    }
    for (int i = 0; i <= index; ++i) {
      ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
    }
  }

  testing::FakePlatform platform;
  testing::LoadedLibrary library{platform};
};

TEST_F(ValueEnumeration, RowsComeInDepthFirstOrderWithTheirParentsAndPositions) {
  CTableNode* a = store().Append("X")->AddTable("A");
  for (const char* text : {"a0", "a1"}) {
    CRowNode* row = a->AddRow();
    row->AddValue("f", text);
    row->AddChildTable("B")->AddRow()->AddValue("g", std::string("b under ") + text);
  }
  SelectObject(0);
  const std::vector<Value> expected = {
      {"A", "f", "", "", "a0", "", 0},
      {"B", "g", "", "", "b under a0", "A", 0},
      {"A", "f", "", "", "a1", "", 1},
      {"B", "g", "", "", "b under a1", "A", 0},
  };
  EXPECT_EQ(AllValues(), expected);
}

TEST_F(ValueEnumeration, EmptyRowsTakePositionsAndPositionsRestartUnderEachParentRow) {
  CBusinessObject* object = store().Append("X");
  CTableNode* top = object->AddTable("A");
  top->AddRow()->AddValue("f", "r0");
  CRowNode* empty = top->AddRow();  // no values of its own, but children
  CTableNode* c = empty->AddChildTable("C");
  c->AddRow();
  c->AddRow()->AddValue("h", "c1");
  CRowNode* last = top->AddRow();
  last->AddValue("f", "r2");
  CTableNode* b = last->AddChildTable("B");
  b->AddRow()->AddValue("g", "b0");
  b->AddRow()->AddValue("g", "b1");
  b->GetRow(1)->AddChildTable("D")->AddRow()->AddValue("k", "d0");
  object->AddTable("E");  // a table without rows gives nothing
  object->AddTable("F")->AddRow()->AddValue("m", "f0");
  SelectObject(0);

  std::vector<std::string> seen;
  for (const Value& v : AllValues()) {
    seen.push_back(v.value + "@" + std::to_string(v.rowIndex) + "<" + v.parentTable);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"r0@0<", "c1@1<A", "r2@2<", "b0@0<A", "b1@1<A",
                                            "d0@0<B", "f0@0<"}));
}

TEST_F(ValueEnumeration, UnitAndTypeComeFromTheObjectsOwnDefinitions) {
  CBusinessObject* object = store().Append("S");
  object->SetFieldDef("T\tMD", "m\tfloat");
  object->SetFieldDef("T\tName", "string");
  object->SetFieldDef("U\tMD", "ft\tint");  // same field, other table
  state().TEST_templateStore().Append("S")->SetFieldDef("T\tNote", "x\ttext");
  CRowNode* row = object->AddTable("T")->AddRow();
  row->AddValue("MD", "1.5");
  row->AddValue("Name", "n");
  row->AddValue("Note", "only in the template");
  row->AddChildTable("U")->AddRow()->AddValue("MD", "2");
  SelectObject(0);

  const std::vector<Value> values = AllValues();
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].unit, "m");
  EXPECT_EQ(values[0].type, "float");
  EXPECT_EQ(values[1].unit, "");
  EXPECT_EQ(values[1].type, "string");
  EXPECT_EQ(values[2].unit, "");
  EXPECT_EQ(values[2].type, "");
  EXPECT_EQ(values[3].unit, "ft");
  EXPECT_EQ(values[3].type, "int");
}

TEST_F(ValueEnumeration, FillsSlotsZeroToFive) {
  CBusinessObject* object = store().Append("S");
  object->SetFieldDef("B\tf", "unit\ttype");
  object->AddTable("A")->AddRow()->AddChildTable("B")->AddRow()->AddValue("f", "value");
  SelectObject(0);
  char* table = nullptr;
  char* field = nullptr;
  char* type = nullptr;
  char* unit = nullptr;
  char* value = nullptr;
  char* parent = nullptr;
  int row = -1;
  ASSERT_EQ(KuvGetNextValue(&table, &field, &type, &unit, &value, &parent, &row), 1);
  const LibraryState& s = state();
  EXPECT_EQ(s.slot(0), "B");
  EXPECT_EQ(s.slot(1), "f");
  EXPECT_EQ(s.slot(2), "value");
  EXPECT_EQ(s.slot(3), "unit");
  EXPECT_EQ(s.slot(4), "type");
  EXPECT_EQ(s.slot(5), "A");
  EXPECT_EQ(table, s.slot(0).data());
  EXPECT_EQ(value, s.slot(2).data());
  EXPECT_EQ(type, s.slot(4).data());
  EXPECT_EQ(parent, s.slot(5).data());
}

TEST_F(ValueEnumeration, WhatTheCallerWritesIntoASlotDoesNotReachTheNextValue) {
  CRowNode* row = store().Append("S")->AddTable("T")->AddRow();
  for (const char* text : {"1.25", "2.50", "10.125", "7"}) row->AddValue("f", text);
  SelectObject(0);
  std::vector<std::string> seen;
  char* text[6] = {};
  int position = -1;
  while (KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &position) ==
         1) {
    seen.push_back(text[4]);
    std::memset(text[4], 'x', seen.back().size() + 1);  // terminator included
    text[0][0] = 'x';
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1.25", "2.50", "10.125", "7"}));
  EXPECT_EQ(NextValue()->table, "T");  // a name slot is refilled too
}

TEST_F(ValueEnumeration, EndThenStartsAgainFromTheSameSnapshot) {
  CRowNode* row = store().Append("S")->AddTable("T")->AddRow();
  row->AddValue("f", "1");
  row->AddValue("f", "2");
  SelectObject(0);
  EXPECT_EQ(NextValue()->value, "1");
  row->AddValue("f", "late");  // after the snapshot: not seen yet
  EXPECT_EQ(NextValue()->value, "2");
  EXPECT_FALSE(NextValue());
  EXPECT_EQ(AllValues().size(), 2u);  // again, without rebuilding

  SelectObject(0);  // a reset takes a new snapshot
  EXPECT_EQ(AllValues().size(), 3u);
}

TEST_F(ValueEnumeration, EmptyObjectEndsEveryCall) {
  CRowNode* row = store().Append("S")->AddTable("T")->AddRow();
  SelectObject(0);
  EXPECT_FALSE(NextValue());
  row->AddValue("f", "late");
  EXPECT_FALSE(NextValue());  // the snapshot stays empty
}

TEST_F(ValueEnumeration, NoCurrentObjectAsksForANewSnapshot) {
  store().Append("S")->AddTable("T")->AddRow()->AddValue("f", "1");
  EXPECT_FALSE(NextValue());  // before the first KuvGetNextObject

  SelectObject(0);
  EXPECT_EQ(NextValue()->value, "1");
  store().Append("R")->AddTable("T")->AddRow()->AddValue("f", "r");
  ASSERT_EQ(KuvDeleteObject("S"), 1);  // the index now names R
  EXPECT_FALSE(NextValue());           // the end of S's snapshot
  ASSERT_EQ(KuvDeleteObject("R"), 1);  // now it points past the store
  EXPECT_FALSE(NextValue());
  // An object back at the index is walked from a new snapshot.
  store().Append("Q")->AddTable("T")->AddRow()->AddValue("f", "q");
  EXPECT_EQ(NextValue()->value, "q");
}

TEST_F(ValueEnumeration, MovingToAnotherObjectStartsItsFirstValue) {
  CRowNode* first = store().Append("S")->AddTable("T")->AddRow();
  first->AddValue("f", "s1");
  first->AddValue("f", "s2");
  store().Append("R")->AddTable("T")->AddRow()->AddValue("f", "r1");
  SelectObject(0);
  EXPECT_EQ(NextValue()->value, "s1");
  SelectObject(1);
  EXPECT_EQ(NextValue()->value, "r1");
}

TEST_F(ValueEnumeration, SnapshotOutlivesTheObjectItCameFrom) {
  CBusinessObject* object = store().Append("S");
  object->SetFieldDef("T\tf", "m\tfloat");
  CRowNode* row = object->AddTable("T")->AddRow();
  for (int i = 0; i < 3; ++i) row->AddValue("f", std::string(40, static_cast<char>('a' + i)));
  store().Append("R");
  SelectObject(0);
  EXPECT_EQ(NextValue()->value, std::string(40, 'a'));
  ASSERT_EQ(KuvDeleteObject("S"), 1);  // the current index now names R
  std::optional<Value> second = NextValue();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->value, std::string(40, 'b'));
  EXPECT_EQ(second->table, "T");
  EXPECT_EQ(second->unit, "m");
  EXPECT_EQ(NextValue()->value, std::string(40, 'c'));
}

TEST_F(ValueEnumeration, NullOrDetachedCallsChangeNothing) {
  store().Append("S")->AddTable("T")->AddRow()->AddValue("f", "1");
  SelectObject(0);
  char* text = reinterpret_cast<char*>(0x1);
  int row = -7;
  EXPECT_EQ(KuvGetNextValue(&text, &text, &text, &text, &text, &text, nullptr), 0);
  EXPECT_EQ(KuvGetNextValue(nullptr, &text, &text, &text, &text, &text, &row), 0);
  EXPECT_EQ(KuvGetNextValue(&text, &text, &text, &text, nullptr, &text, &row), 0);
  state().TEST_SetAttached(false);
  EXPECT_EQ(KuvGetNextValue(&text, &text, &text, &text, &text, &text, &row), 0);
  EXPECT_EQ(text, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(row, -7);
  state().TEST_SetAttached(true);
  EXPECT_EQ(NextValue()->value, "1");
}

TEST_F(ValueEnumeration, WalkAfterDetachStartsFromANewSnapshot) {
  store().Append("S")->AddTable("T")->AddRow()->AddValue("f", "1");
  SelectObject(0);
  EXPECT_EQ(NextValue()->value, "1");
  ASSERT_EQ(KuvDetach(), 1);  // frees the snapshot; the walk's index stays
  state().TEST_SetAttached(true);
  CRowNode* row = store().Append("N")->AddTable("T")->AddRow();
  row->AddValue("f", "n1");
  row->AddValue("f", "n2");
  EXPECT_EQ(NextValue()->value, "n1");
  EXPECT_EQ(NextValue()->value, "n2");
}

TEST_F(ValueEnumeration, HundredThousandLevelsDeepEnumerate) {
  constexpr int kDepth = 100000;
  CTableNode* table = store().Append("Deep")->AddTable("L");
  for (int level = 0; level < kDepth; ++level) {
    CRowNode* row = table->AddRow();
    row->AddValue("v", std::to_string(level));
    table = row->AddChildTable("L");
  }
  SelectObject(0);
  int count = 0;
  std::optional<Value> last;
  while (std::optional<Value> v = NextValue()) {
    last = v;
    ++count;
  }
  EXPECT_EQ(count, kDepth);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->value, std::to_string(kDepth - 1));
  EXPECT_EQ(last->parentTable, "L");
}

// A plain recursive flattening over small trees, to check the walk's
// caching of names against.
void Reference(const CTableNode& table, const std::string& parent, const CBusinessObject& object,
               std::vector<Value>& out) {
  for (std::size_t r = 0; r < table.rows().size(); ++r) {
    const CRowNode& row = *table.rows()[r];
    for (const CValueNode& value : row.values()) {
      const std::string& field = row.FieldOf(value);
      out.push_back({table.name(), field, std::string(object.GetType(table.name(), field)),
                     std::string(object.GetUnit(table.name(), field)), std::string(value.value()),
                     parent, static_cast<int>(r)});
    }
    for (const auto& child : row.childTables()) Reference(*child, table.name(), object, out);
  }
}

std::vector<Value> Flattened(const CBusinessObject& object) {
  ValueList list;
  list.InternName("left over");  // the build starts from a clean list
  core::BuildValueList(object, list);
  std::vector<Value> values;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const ValueList::CValueRecord& r = list.record(i);
    values.push_back({std::string(list.name(r.table)), std::string(list.name(r.field)),
                      std::string(list.name(r.type)), std::string(list.name(r.unit)),
                      std::string(list.value(r)), std::string(list.name(r.parentTable)),
                      r.rowIndex});
  }
  return values;
}

std::vector<std::string> Names(const char* prefix, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
  return names;
}

TEST(BuildValueList, MatchesAPlainWalkWhateverTheFieldOrders) {
  // Same-named tables nest in one another and meet their fields in
  // shuffled orders, so nodes both share and differ in their field lists;
  // the larger rounds have more table and field names than a short search
  // handles.
  std::mt19937 random(20021001);
  for (int round = 0; round < 24; ++round) {
    const bool large = round % 2 == 1;
    const std::vector<std::string> tables = Names("T", large ? 20 : 3);
    const std::vector<std::string> fields = Names("f", large ? 24 : 4);
    const auto anyTable = [&] { return tables[random() % tables.size()]; };
    CObjectStore store;
    CBusinessObject& object = *store.Append("R");
    for (const std::string& t : tables) {
      for (const std::string& f : fields) {
        if (random() % 3 != 0) object.SetFieldDef(t + "\t" + f, t + f + "unit\t" + f + "type");
      }
    }
    object.SetFieldDef("T1\tf2", "notab");
    std::vector<CTableNode*> open = {object.AddTable(anyTable())};
    for (int step = 0; step < 200; ++step) {
      CTableNode* table = open[random() % open.size()];
      CRowNode* row = table->AddRow();
      std::vector<std::string> order = fields;
      if (random() % 4 != 0) std::shuffle(order.begin(), order.end(), random);
      order.resize(random() % (fields.size() + 1));
      for (const std::string& f : order) row->AddValue(f, std::to_string(step) + f);
      if (random() % 3 == 0) open.push_back(row->AddChildTable(anyTable()));
      if (random() % 10 == 0) open.push_back(object.AddTable(anyTable()));
    }
    std::vector<Value> expected;
    for (const auto& table : object.tables()) Reference(*table, "", object, expected);
    ASSERT_EQ(Flattened(object), expected) << "round " << round;
  }
}

}  // namespace
}  // namespace kuv
