#include <gtest/gtest.h>

#include <string>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"

namespace kuv {
namespace {

class ObjectQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.loaded());
    state().TEST_SetAttached(true);
  }
  static LibraryState& state() { return *CurrentState(); }
  static CBusinessObject* AddObject(const char* id) {
    CBusinessObject* object = state().TEST_dataStore().Append(id);
    object->author = std::string("author of ") + id;
    object->version = "3.61";
    object->wellId = std::string("well ") + id;
    object->date = "20021001T14:05:00000";
    return object;
  }

  testing::FakePlatform platform;
  testing::LoadedLibrary library{platform};
};

// The five header texts of the next object, or the result 0 as "".
struct Header {
  int result = 0;
  std::string id, author, version, wellId, date;
};
Header NextObject() {
  char* id = nullptr;
  char* author = nullptr;
  char* version = nullptr;
  char* wellId = nullptr;
  char* date = nullptr;
  Header header;
  header.result = KuvGetNextObject(&id, &author, &version, &wellId, &date);
  if (header.result == 1) header = {1, id, author, version, wellId, date};
  return header;
}

// The next value of the current object, or "(none)".
std::string NextValueText() {
  char* text[6];
  int row = -1;
  return KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row) == 1
             ? text[4]
             : "(none)";
}

TEST_F(ObjectQueries, ObjectListCopiesTheIdsInOrderAndFollowsTheStore) {
  char** names = nullptr;
  int count = -1;
  ASSERT_EQ(KuvObjectList(&names, &count), 1);
  EXPECT_EQ(count, 0);
  EXPECT_NE(names, nullptr);  // empty, but a valid array
  EXPECT_EQ(NextObject().result, 0);

  AddObject("Well");
  AddObject("Survey");
  ASSERT_EQ(KuvObjectList(&names, &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(names[0], "Well");
  EXPECT_STREQ(names[1], "Survey");

  // The copies outlive changes to the store until the next list.
  ASSERT_EQ(KuvDeleteObject("Well"), 1);
  EXPECT_STREQ(names[0], "Well");
  AddObject("Log");
  ASSERT_EQ(KuvObjectList(&names, &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(names[0], "Survey");
  EXPECT_STREQ(names[1], "Log");
}

TEST_F(ObjectQueries, ObjectExistsComparesExactly) {
  AddObject("Survey");
  state().TEST_templateStore().Append("Template");
  EXPECT_EQ(KuvObjectExists("Survey"), 1);
  EXPECT_EQ(KuvObjectExists("survey"), 0);
  EXPECT_EQ(KuvObjectExists("Surve"), 0);
  EXPECT_EQ(KuvObjectExists("Survey "), 0);
  EXPECT_EQ(KuvObjectExists(""), 0);
  EXPECT_EQ(KuvObjectExists("Template"), 0);  // the template is not searched
  EXPECT_EQ(KuvObjectExists(nullptr), 0);
}

TEST_F(ObjectQueries, WalkDeliversHeadersThenEndsThenStartsAgain) {
  AddObject("A");
  AddObject("B");
  AddObject("C");
  Header a = NextObject();
  ASSERT_EQ(a.result, 1);
  EXPECT_EQ(a.id, "A");
  EXPECT_EQ(a.author, "author of A");
  EXPECT_EQ(a.version, "3.61");
  EXPECT_EQ(a.wellId, "well A");
  EXPECT_EQ(a.date, "20021001T14:05:00000");
  const char* inSlots[] = {"A", "author of A", "3.61", "well A", "20021001T14:05:00000"};
  for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(state().slot(slot), inSlots[slot]);
  EXPECT_EQ(NextObject().id, "B");
  EXPECT_EQ(NextObject().id, "C");
  EXPECT_EQ(NextObject().result, 0);
  EXPECT_EQ(NextObject().id, "A");
}

TEST_F(ObjectQueries, EveryAttachedStepRestartsTheValueWalk) {
  CRowNode* row = AddObject("A")->AddTable("T")->AddRow();
  for (const char* text : {"v1", "v2", "v3"}) row->AddValue("f", text);
  ASSERT_EQ(NextObject().id, "A");
  EXPECT_EQ(NextValueText(), "v1");
  row->AddValue("f", "late");
  EXPECT_EQ(NextObject().result, 0);
  EXPECT_EQ(NextValueText(), "(none)");  // no current object
  ASSERT_EQ(NextObject().id, "A");
  EXPECT_EQ(NextValueText(), "v1");  // a new snapshot from the first value
  EXPECT_EQ(NextValueText(), "v2");

  state().TEST_SetAttached(false);
  EXPECT_EQ(NextObject().result, 0);
  state().TEST_SetAttached(true);
  EXPECT_EQ(NextValueText(), "v3");  // neither walk moved
  EXPECT_EQ(NextValueText(), "late");
}

TEST_F(ObjectQueries, DeletingTheCurrentObjectSkipsTheOneAfterIt) {
  AddObject("A");
  AddObject("B");
  AddObject("C");
  EXPECT_EQ(NextObject().id, "A");
  ASSERT_EQ(KuvDeleteObject("A"), 1);  // B and C move up; the index stays at 0
  EXPECT_EQ(NextObject().id, "C");
  // Past the end after a deletion: the walk ends and restarts cleanly.
  ASSERT_EQ(KuvDeleteObject("C"), 1);
  EXPECT_EQ(NextObject().id, "");
  EXPECT_EQ(NextObject().id, "B");
}

TEST_F(ObjectQueries, NullPointersWriteNothingAndMoveNothing) {
  CRowNode* row = AddObject("A")->AddTable("T")->AddRow();
  row->AddValue("f", "a1");
  row->AddValue("f", "a2");
  AddObject("B");
  ASSERT_EQ(NextObject().id, "A");
  ASSERT_EQ(NextValueText(), "a1");
  char* text = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvGetNextObject(&text, &text, &text, &text, nullptr), 0);
  EXPECT_EQ(KuvGetNextObject(nullptr, &text, &text, &text, &text), 0);
  EXPECT_EQ(text, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(NextValueText(), "a2");
  EXPECT_EQ(NextObject().id, "B");

  char** names = nullptr;
  int count = -1;
  EXPECT_EQ(KuvObjectList(nullptr, &count), 0);
  EXPECT_EQ(KuvObjectList(&names, nullptr), 0);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(names, nullptr);

  EXPECT_EQ(KuvIsParent(nullptr, "A"), 0);
  EXPECT_EQ(KuvIsParent("B", nullptr), 0);
  EXPECT_EQ(KuvGetFieldDef(nullptr, "T", "F", &text, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", nullptr, "F", &text, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", "T", nullptr, &text, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", "T", "F", nullptr, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", "T", "F", &text, nullptr), 0);
}

TEST_F(ObjectQueries, NotAttachedAnswersNothing) {
  AddObject("A")->SetTableDef("B", "A");
  ASSERT_EQ(NextObject().id, "A");
  ASSERT_EQ(KuvIsParent("B", "A"), 1);
  state().TEST_SetAttached(false);
  char** names = nullptr;
  int count = -1;
  EXPECT_EQ(KuvObjectList(&names, &count), 0);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(KuvObjectExists("A"), 0);
  EXPECT_EQ(KuvIsParent("B", "A"), 0);
}

TEST_F(ObjectQueries, IsParentReadsTheCurrentObjectsTableDefinitions) {
  CBusinessObject* first = AddObject("First");
  first->SetTableDef("Top", "");
  first->SetTableDef("Child", "Top");
  AddObject("Second")->SetTableDef("Child", "Other");

  EXPECT_EQ(KuvIsParent("Child", "Top"), 0);  // no current object yet
  ASSERT_EQ(NextObject().id, "First");
  EXPECT_EQ(KuvIsParent("Child", "Top"), 1);
  EXPECT_EQ(KuvIsParent("Child", "top"), 0);
  EXPECT_EQ(KuvIsParent("Child", "Other"), 0);
  EXPECT_EQ(KuvIsParent("Missing", "Top"), 0);
  EXPECT_EQ(KuvIsParent("Top", ""), 0);  // a top-level table is never reported
  EXPECT_EQ(KuvIsParent("", "Top"), 0);
  ASSERT_EQ(NextObject().id, "Second");
  EXPECT_EQ(KuvIsParent("Child", "Other"), 1);
  EXPECT_EQ(KuvIsParent("Child", "Top"), 0);

  // After the end, or with the index past the store after deletions.
  ASSERT_EQ(NextObject().result, 0);
  EXPECT_EQ(KuvIsParent("Child", "Top"), 0);
  ASSERT_EQ(NextObject().id, "First");
  ASSERT_EQ(NextObject().id, "Second");
  ASSERT_EQ(KuvDeleteObject("Second"), 1);
  EXPECT_EQ(KuvIsParent("Child", "Other"), 0);
}

class FieldDefinitions : public ObjectQueries {};

TEST_F(FieldDefinitions, TypeComesThroughTheFourthParameterAndUnitTheFifth) {
  CBusinessObject* kind = state().TEST_templateStore().Append("Survey");
  kind->SetFieldDef("Station\tMD", "m\tfloat");
  kind->SetFieldDef("Station\tName", "string");
  char* type = nullptr;
  char* unit = nullptr;
  ASSERT_EQ(KuvGetFieldDef("Survey", "Station", "MD", &type, &unit), 1);
  EXPECT_STREQ(type, "float");
  EXPECT_STREQ(unit, "m");
  EXPECT_EQ(type, state().slot(0).data());
  EXPECT_EQ(unit, state().slot(1).data());
  ASSERT_EQ(KuvGetFieldDef("Survey", "Station", "Name", &type, &unit), 1);
  EXPECT_STREQ(type, "string");  // without a TAB it is all type
  EXPECT_STREQ(unit, "");
}

TEST_F(FieldDefinitions, FirstTemplateObjectThatDeclaresTheFieldWins) {
  state().TEST_templateStore().Append("Survey")->SetFieldDef("Station\tTVD", "ft\tint");
  state().TEST_templateStore().Append("Other")->SetFieldDef("Station\tMD", "km\tdouble");
  state().TEST_templateStore().Append("Survey")->SetFieldDef("Station\tMD", "m\tfloat");
  state().TEST_templateStore().Append("Survey")->SetFieldDef("Station\tMD", "cm\tlong");
  char* type = nullptr;
  char* unit = nullptr;
  ASSERT_EQ(KuvGetFieldDef("Survey", "Station", "MD", &type, &unit), 1);
  EXPECT_STREQ(type, "float");
  EXPECT_STREQ(unit, "m");
}

TEST_F(FieldDefinitions, ReadsOnlyTheTemplateAndNeedsNoAttachment) {
  AddObject("Survey")->SetFieldDef("Station\tMD", "m\tfloat");
  state().TEST_templateStore().Append("Survey")->SetFieldDef("Station\tMD", "ft\tint");
  state().TEST_SetAttached(false);
  char* type = reinterpret_cast<char*>(0x1);
  char* unit = reinterpret_cast<char*>(0x1);
  ASSERT_EQ(KuvGetFieldDef("Survey", "Station", "MD", &type, &unit), 1);
  EXPECT_STREQ(type, "int");

  type = unit = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvGetFieldDef("Survey", "Station", "TVD", &type, &unit), 0);
  EXPECT_EQ(KuvGetFieldDef("survey", "Station", "MD", &type, &unit), 0);
  EXPECT_EQ(KuvGetFieldDef("Survey", "Station\tMD", "", &type, &unit), 0);
  EXPECT_EQ(type, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(unit, reinterpret_cast<char*>(0x1));
}

TEST_F(ObjectQueries, LaterCallsOverwriteTheSharedSlots) {
  AddObject("A")->AddTable("T")->AddRow()->AddValue("F", "v");
  state().TEST_templateStore().Append("A")->SetFieldDef("T\tF", "m\tfloat");
  Header a = NextObject();
  ASSERT_EQ(a.id, "A");
  char* text[6] = {};
  int row = -1;
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  EXPECT_EQ(state().slot(0), "T");  // the ID is gone
  ASSERT_EQ(KuvGetFieldDef("A", "T", "F", &text[0], &text[1]), 1);
  EXPECT_EQ(state().slot(0), "float");
}

}  // namespace
}  // namespace kuv
