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
    state().attached = true;
  }
  static LibraryState& state() { return *CurrentState(); }
  static CBusinessObject* AddObject(const char* id) {
    CBusinessObject* object = state().dataStore.Append(id);
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

TEST_F(ObjectQueries, ObjectListCopiesTheIdsInOrderAndFollowsTheStore) {
  char** names = nullptr;
  int count = -1;
  ASSERT_EQ(KuvObjectList(&names, &count), 1);
  EXPECT_EQ(count, 0);
  EXPECT_NE(names, nullptr);  // empty, but a valid array
  EXPECT_EQ(NextObject().result, 0);
  EXPECT_EQ(state().getObjectIndex, -1);

  AddObject("Well");
  AddObject("Survey");
  ASSERT_EQ(KuvObjectList(&names, &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(names[0], "Well");
  EXPECT_STREQ(names[1], "Survey");

  // The copies outlive changes to the store until the next list.
  state().dataStore.RemoveAt(0);
  EXPECT_STREQ(names[0], "Well");
  AddObject("Log");
  ASSERT_EQ(KuvObjectList(&names, &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(names[0], "Survey");
  EXPECT_STREQ(names[1], "Log");
}

TEST_F(ObjectQueries, ObjectExistsComparesExactly) {
  AddObject("Survey");
  state().templateStore.Append("Template");
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
  for (std::size_t slot = 0; slot < 5; ++slot) EXPECT_EQ(state().slots[slot], inSlots[slot]);
  EXPECT_EQ(NextObject().id, "B");
  EXPECT_EQ(NextObject().id, "C");
  EXPECT_EQ(state().getObjectIndex, 2);
  EXPECT_EQ(NextObject().result, 0);
  EXPECT_EQ(state().getObjectIndex, -1);
  EXPECT_EQ(NextObject().id, "A");
}

TEST_F(ObjectQueries, EveryAttachedStepResetsTheValueCursorEvenAtTheEnd) {
  AddObject("A");
  state().valueCursor = 3;
  EXPECT_EQ(NextObject().result, 1);
  EXPECT_EQ(state().valueCursor, -2);
  state().valueCursor = 3;
  EXPECT_EQ(NextObject().result, 0);
  EXPECT_EQ(state().valueCursor, -2);

  state().attached = false;
  state().valueCursor = 3;
  EXPECT_EQ(NextObject().result, 0);
  EXPECT_EQ(state().valueCursor, 3);
  EXPECT_EQ(state().getObjectIndex, -1);
}

TEST_F(ObjectQueries, DeletingTheCurrentObjectSkipsTheOneAfterIt) {
  AddObject("A");
  AddObject("B");
  AddObject("C");
  EXPECT_EQ(NextObject().id, "A");
  state().dataStore.RemoveAt(0);  // B and C move up; the index stays at 0
  EXPECT_EQ(NextObject().id, "C");
  // Past the end after a deletion: the walk ends and restarts cleanly.
  EXPECT_EQ(NextObject().id, "");
  state().getObjectIndex = 5;
  EXPECT_EQ(NextObject().result, 0);
  EXPECT_EQ(state().getObjectIndex, -1);
  EXPECT_EQ(NextObject().id, "B");
}

TEST_F(ObjectQueries, NullPointersWriteNothingAndMoveNothing) {
  AddObject("A");
  state().valueCursor = 7;
  char* text = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvGetNextObject(&text, &text, &text, &text, nullptr), 0);
  EXPECT_EQ(KuvGetNextObject(nullptr, &text, &text, &text, &text), 0);
  EXPECT_EQ(text, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(state().getObjectIndex, -1);
  EXPECT_EQ(state().valueCursor, 7);

  char** names = nullptr;
  int count = -1;
  EXPECT_EQ(KuvObjectList(nullptr, &count), 0);
  EXPECT_EQ(KuvObjectList(&names, nullptr), 0);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(state().objectNames.count(), 0);

  EXPECT_EQ(KuvIsParent(nullptr, "A"), 0);
  EXPECT_EQ(KuvIsParent("B", nullptr), 0);
  EXPECT_EQ(KuvGetFieldDef(nullptr, "T", "F", &text, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", nullptr, "F", &text, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", "T", nullptr, &text, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", "T", "F", nullptr, &text), 0);
  EXPECT_EQ(KuvGetFieldDef("A", "T", "F", &text, nullptr), 0);
}

TEST_F(ObjectQueries, NotAttachedAnswersNothing) {
  AddObject("A");
  state().attached = false;
  char** names = nullptr;
  int count = -1;
  EXPECT_EQ(KuvObjectList(&names, &count), 0);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(KuvObjectExists("A"), 0);
  state().getObjectIndex = 0;
  state().dataStore.GetAt(0)->SetTableDef("B", "A");
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
  state().getObjectIndex = 1;
  state().dataStore.RemoveAt(1);
  EXPECT_EQ(KuvIsParent("Child", "Other"), 0);
}

class FieldDefinitions : public ObjectQueries {};

TEST_F(FieldDefinitions, TypeComesThroughTheFourthParameterAndUnitTheFifth) {
  CBusinessObject* kind = state().templateStore.Append("Survey");
  kind->SetFieldDef("Station\tMD", "m\tfloat");
  kind->SetFieldDef("Station\tName", "string");
  char* type = nullptr;
  char* unit = nullptr;
  ASSERT_EQ(KuvGetFieldDef("Survey", "Station", "MD", &type, &unit), 1);
  EXPECT_STREQ(type, "float");
  EXPECT_STREQ(unit, "m");
  EXPECT_EQ(type, state().slots[0].data());
  EXPECT_EQ(unit, state().slots[1].data());
  ASSERT_EQ(KuvGetFieldDef("Survey", "Station", "Name", &type, &unit), 1);
  EXPECT_STREQ(type, "string");  // without a TAB it is all type
  EXPECT_STREQ(unit, "");
}

TEST_F(FieldDefinitions, FirstTemplateObjectThatDeclaresTheFieldWins) {
  state().templateStore.Append("Survey")->SetFieldDef("Station\tTVD", "ft\tint");
  state().templateStore.Append("Other")->SetFieldDef("Station\tMD", "km\tdouble");
  state().templateStore.Append("Survey")->SetFieldDef("Station\tMD", "m\tfloat");
  state().templateStore.Append("Survey")->SetFieldDef("Station\tMD", "cm\tlong");
  char* type = nullptr;
  char* unit = nullptr;
  ASSERT_EQ(KuvGetFieldDef("Survey", "Station", "MD", &type, &unit), 1);
  EXPECT_STREQ(type, "float");
  EXPECT_STREQ(unit, "m");
}

TEST_F(FieldDefinitions, ReadsOnlyTheTemplateAndNeedsNoAttachment) {
  AddObject("Survey")->SetFieldDef("Station\tMD", "m\tfloat");
  state().templateStore.Append("Survey")->SetFieldDef("Station\tMD", "ft\tint");
  state().attached = false;
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
  state().templateStore.Append("A")->SetFieldDef("T\tF", "m\tfloat");
  Header a = NextObject();
  ASSERT_EQ(a.id, "A");
  char* text[6] = {};
  int row = -1;
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  EXPECT_EQ(state().slots[0], "T");  // the ID is gone
  ASSERT_EQ(KuvGetFieldDef("A", "T", "F", &text[0], &text[1]), 1);
  EXPECT_EQ(state().slots[0], "float");
}

}  // namespace
}  // namespace kuv
