// The worked examples of value placement, checked against the exact bytes
// that KuvSave writes for the object they build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "api/editing_fixture.h"
#include "kuv/kuv.h"
#include "support/platform_text.h"

namespace kuv {
namespace {

using testing::PlatformText;
using testing::TreeText;

struct Put {
  const char* table;
  const char* field;
  const char* value;
  int result;
};

struct Example {
  const char* name;
  std::vector<Put> puts;
  const char* tree;
  const char* content;  // the lines written between the data description and the object's end
};

const char kHead[] =
    "<?xml version='1.0'?>\n"
    "<KUV Version='2.0'>\n";
const char kObjectHead[] =
    "<BusinessObject ID='Well' Author='ann' Version='1.0' WellID='w-1' "
    "Date='20021001T14:05:00000'>\n"
    "<DataDescription>\n"
    "<TableDef Table='A'/>\n"
    "<TableDef Table='B' Parent='A'/>\n"
    "<TableDef Table='C' Parent='A'/>\n"
    "<TableDef Table='D' Parent='B'/>\n"
    "<TableDef Table='Z'/>\n"
    "<FieldDef Table='A' Field='a1' Unit='m' Type='float'/>\n"
    "<FieldDef Table='A' Field='a2' Unit='m' Type='float'/>\n"
    "<FieldDef Table='B' Field='b1' Unit='' Type='string'/>\n"
    "<FieldDef Table='C' Field='c1' Unit='' Type=''/>\n"
    "<FieldDef Table='D' Field='d1' Unit='' Type=''/>\n"
    "<FieldDef Table='Z' Field='z1' Unit='' Type=''/>\n"
    "</DataDescription>\n";
const char kObjectTail[] = "</BusinessObject>\n";
const char kTail[] = "</KUV>\n";

const std::vector<Example>& Examples() {
  static const std::vector<Example> examples = {
      {"RowsRepeatAndParentsStartNewRows",
       {{"A", "a1", "1", 1},
        {"A", "a2", "2", 1},
        {"B", "b1", "3", 1},
        {"B", "b1", "4", 1},
        {"A", "a1", "5", 1}},
       "A(a1=1 a2=2 B(b1=3)(b1=4))(a1=5)",
       "<A>\n<a1>1</a1>\n<a2>2</a2>\n<B>\n<b1>3</b1>\n<b1>4</b1>\n</B>\n<a1>5</a1>\n</A>\n"},
      // A sibling table would hang under a new row of A that holds no
      // value, and a new row of A would begin with a2 rather than a1: a
      // saved document would give either back as part of the row before.
      {"SiblingUnderAValuelessRowIsRefused",
       {{"A", "a1", "1", 1}, {"B", "b1", "2", 1}, {"C", "c1", "3", 0}},
       "A(a1=1 B(b1=2))",
       "<A>\n<a1>1</a1>\n<B>\n<b1>2</b1>\n</B>\n</A>\n"},
      {"ClimbsToTheNamedTable",
       {{"A", "a1", "1", 1},
        {"B", "b1", "2", 1},
        {"D", "d1", "3", 1},
        {"A", "a2", "4", 0},
        {"A", "a1", "5", 1}},
       "A(a1=1 B(b1=2 D(d1=3)))(a1=5)",
       "<A>\n<a1>1</a1>\n<B>\n<b1>2</b1>\n<D>\n<d1>3</d1>\n</D>\n</B>\n<a1>5</a1>\n</A>\n"},
      {"FirstValueOfAChildTableIsRefused", {{"B", "b1", "1", 0}}, "", ""},
      {"TopLevelTablesAlternate",
       {{"A", "a1", "1", 1}, {"Z", "z1", "2", 1}, {"A", "a1", "3", 1}},
       "A(a1=1) Z(z1=2) A(a1=3)",
       "<A>\n<a1>1</a1>\n</A>\n<Z>\n<z1>2</z1>\n</Z>\n<A>\n<a1>3</a1>\n</A>\n"},
      {"ChildOfAnotherTopLevelTableIsRefused",
       {{"A", "a1", "1", 1}, {"Z", "z1", "2", 1}, {"B", "b1", "3", 0}},
       "A(a1=1) Z(z1=2)",
       "<A>\n<a1>1</a1>\n</A>\n<Z>\n<z1>2</z1>\n</Z>\n"},
      {"OnlyTheFirstFieldStartsARow",
       {{"A", "a1", "1", 1}, {"A", "a2", "2", 1}, {"A", "a2", "3", 1}, {"A", "a1", "4", 1}},
       "A(a1=1 a2=2 a2=3)(a1=4)",
       "<A>\n<a1>1</a1>\n<a2>2</a2>\n<a2>3</a2>\n<a1>4</a1>\n</A>\n"},
  };
  return examples;
}

class SavedPlacement : public testing::EditingTest {
 protected:
  SavedPlacement() { AddPlacementTemplate("Well"); }
};

TEST_F(SavedPlacement, WorkedExamplesWriteTheirTrees) {
  for (const Example& example : Examples()) {
    SCOPED_TRACE(example.name);
    ASSERT_EQ(KuvDetach(), 1);
    state().TEST_SetAttached(true);
    AddPlacementTemplate("Well");
    ASSERT_EQ(KuvCreateObject("Well", "ann", "1.0", "w-1"), 1);
    for (const Put& put : example.puts) {
      EXPECT_EQ(KuvPutValue(put.table, put.field, put.value), put.result)
          << put.table << "." << put.field;
    }
    EXPECT_EQ(TreeText(*DataObject(0)), example.tree);
    EXPECT_EQ(Saved(), PlatformText(std::string(kHead) + kObjectHead + example.content +
                                    kObjectTail + kTail));
  }
}

TEST_F(SavedPlacement, DeletingTheOnlyObjectWritesNoObject) {
  ASSERT_EQ(KuvCreateObject("Well", "ann", "1.0", "w-1"), 1);
  ASSERT_EQ(KuvPutValue("A", "a1", "1"), 1);
  ASSERT_EQ(KuvDeleteObject("Well"), 1);
  EXPECT_EQ(Saved(), PlatformText(std::string(kHead) + kTail));
}

TEST_F(SavedPlacement, PutObjectWritesTheNewHeaderAndContent) {
  ASSERT_EQ(KuvCreateObject("Well", "someone", "0.1", "old"), 1);
  ASSERT_EQ(KuvPutValue("A", "a1", "old"), 1);
  ASSERT_EQ(KuvPutObject("Well", "ann", "1.0", "w-1"), 1);
  ASSERT_EQ(KuvPutValue("Z", "z1", "new"), 1);
  EXPECT_EQ(Saved(), PlatformText(std::string(kHead) + kObjectHead + "<Z>\n<z1>new</z1>\n</Z>\n" +
                                  kObjectTail + kTail));
}

}  // namespace
}  // namespace kuv
