#include "frame/library_state.h"

#include <gtest/gtest.h>

#include "kuv/kuv.h"
#include "support/fake_platform.h"

namespace kuv {
namespace {

using testing::FakePlatform;
using testing::LoadedLibrary;

TEST(LoadStep, ReadsTheTemplatePathCutAtTheFirstZero) {
  FakePlatform platform;
  platform.registryValues["FileName"] = std::string("/t/Standard.kvt\0junk", 20);
  LoadedLibrary library(platform);
  ASSERT_TRUE(library.loaded());
  LibraryState* state = CurrentState();
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->templatePath(), "/t/Standard.kvt");
  EXPECT_FALSE(state->attached());
}

// Right after the load step the put object is the first one and the walk
// over the store begins with the first object, so that objects made in a
// process that never opened a document are built and walked from there.
TEST(LoadStep, CursorsStartAtTheFirstObject) {
  FakePlatform platform;
  LoadedLibrary library(platform);
  ASSERT_TRUE(library.loaded());
  LibraryState& state = *CurrentState();
  state.TEST_SetAttached(true);
  CBusinessObject* first = state.TEST_dataStore().Append("First");
  first->SetTableDef("T", "");
  first->SetFieldDef("T\tf", "\t");
  state.TEST_dataStore().Append("Second");

  EXPECT_EQ(KuvCreateTableDef("U", ""), 1);
  EXPECT_EQ(KuvPutValue("T", "f", "v"), 1);
  EXPECT_EQ(first->TableDefs.count("U"), 1u);
  char* text[5];
  ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
  EXPECT_STREQ(text[0], "First");
}

TEST(LoadStep, MissingValueLeavesThePathEmpty) {
  FakePlatform platform;
  LoadedLibrary library(platform);
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(CurrentState()->templatePath(), "");
}

TEST(LoadStep, CreatesAMissingKey) {
  FakePlatform platform;
  platform.keyExists = false;
  LoadedLibrary library(platform);
  EXPECT_TRUE(library.loaded());
  EXPECT_TRUE(platform.keyExists);
}

TEST(LoadStep, KeyNeitherOpenedNorCreatedLeavesTheLibraryUnusable) {
  FakePlatform platform;
  platform.keyExists = false;
  platform.keyCreatable = false;
  LoadedLibrary library(platform);
  EXPECT_FALSE(library.loaded());
  EXPECT_EQ(CurrentState(), nullptr);

  char* text = reinterpret_cast<char*>(0x1);
  int year = -7;
  EXPECT_EQ(KuvDetach(), 0);
  EXPECT_EQ(KuvDateToString(2002, 10, 1, 14, 5, &text), 0);
  EXPECT_EQ(text, reinterpret_cast<char*>(0x1));  // nothing written
  EXPECT_EQ(KuvStringToDate("20021001T14:05:00000", &year, &year, &year, &year, &year), 0);
  EXPECT_EQ(year, -7);
}

class Slots : public ::testing::Test {
 protected:
  FakePlatform platform;
  LoadedLibrary library{platform};
};

TEST_F(Slots, EmptyTextComesOutAsAValidPointer) {
  char* out = CurrentState()->HandOut(3, "");
  ASSERT_NE(out, nullptr);
  EXPECT_STREQ(out, "");
}

TEST_F(Slots, EachSlotHoldsItsOwnText) {
  LibraryState& state = *CurrentState();
  char* outs[7];
  for (int slot = 0; slot < 7; ++slot)
    outs[slot] = state.HandOut(slot, "text " + std::to_string(slot));
  for (int slot = 0; slot < 7; ++slot) EXPECT_EQ(outs[slot], "text " + std::to_string(slot));
  EXPECT_STREQ(state.HandOut(0, "replaced"), "replaced");
  EXPECT_STREQ(outs[1], "text 1");
}

TEST_F(Slots, AHugeTextIsGivenBackByTheNextSmallOne) {
  LibraryState& state = *CurrentState();
  state.HandOut(2, std::string(1 << 20, 'x'));
  char* out = state.HandOut(2, "small");
  EXPECT_STREQ(out, "small");
  out = state.HandOut(2, std::string_view(out + 1, 3));  // a text from the slot itself
  EXPECT_STREQ(out, "mal");
  EXPECT_LT(state.slot(2).capacity(), 1u << 20);
}

TEST_F(Slots, DateTextSharesSlotZero) {
  char* first = nullptr;
  char* second = nullptr;
  ASSERT_EQ(KuvDateToString(2002, 10, 1, 14, 5, &first), 1);
  ASSERT_EQ(KuvDateToString(2003, 11, 2, 15, 6, &second), 1);
  EXPECT_STREQ(second, "20031102T15:06:00000");
  EXPECT_STREQ(first, "20031102T15:06:00000");  // the same slot, overwritten
}

TEST_F(Slots, DetachFreesEverythingAndCanRunTwice) {
  LibraryState& state = *CurrentState();
  for (int slot = 0; slot < 7; ++slot) state.HandOut(slot, std::string(100, 'x'));
  state.TEST_dataStore().Append("A")->AddTable("T")->AddRow()->AddValue("f", "v");
  state.TEST_templateStore().Append("B");
  state.TEST_templateStore().version = "3.61'";
  state.TEST_SetAttached(true);
  char* text[6];
  int row = 0;
  ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  char** names = nullptr;
  int count = 0;
  ASSERT_EQ(KuvObjectList(&names, &count), 1);

  EXPECT_EQ(KuvDetach(), 1);
  EXPECT_FALSE(state.attached());
  EXPECT_EQ(state.dataStore().GetCount(), 0);
  EXPECT_EQ(state.templateStore().GetCount(), 0);
  EXPECT_EQ(state.templateStore().version, "3.61'");
  for (int slot = 0; slot < 7; ++slot) EXPECT_EQ(state.slot(slot).data(), nullptr);
  EXPECT_EQ(KuvDetach(), 1);
}

}  // namespace
}  // namespace kuv
