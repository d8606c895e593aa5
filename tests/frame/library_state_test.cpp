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
  EXPECT_EQ(state->templatePath, "/t/Standard.kvt");
  EXPECT_FALSE(state->attached);
  EXPECT_EQ(state->getObjectIndex, -1);
  EXPECT_EQ(state->putObjectIndex, 0);  // -1 only once KuvOpen has run
  EXPECT_EQ(state->valueCursor, 0);
}

TEST(LoadStep, MissingValueLeavesThePathEmpty) {
  FakePlatform platform;
  LoadedLibrary library(platform);
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(CurrentState()->templatePath, "");
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
  char* out = nullptr;
  CopyOutString(*CurrentState(), &out, "", 3);
  ASSERT_NE(out, nullptr);
  EXPECT_STREQ(out, "");
}

TEST_F(Slots, EachSlotHoldsItsOwnText) {
  LibraryState& state = *CurrentState();
  char* outs[7];
  for (int slot = 0; slot < 7; ++slot) {
    CopyOutString(state, &outs[slot], "text " + std::to_string(slot), slot);
  }
  for (int slot = 0; slot < 7; ++slot) EXPECT_EQ(outs[slot], "text " + std::to_string(slot));
  char* again = nullptr;
  CopyOutString(state, &again, "replaced", 0);
  EXPECT_STREQ(again, "replaced");
  EXPECT_STREQ(outs[1], "text 1");
}

TEST_F(Slots, AHugeTextIsGivenBackByTheNextSmallOne) {
  LibraryState& state = *CurrentState();
  char* out = nullptr;
  CopyOutString(state, &out, std::string(1 << 20, 'x'), 2);
  CopyOutString(state, &out, "small", 2);
  EXPECT_STREQ(out, "small");
  CopyOutString(state, &out, std::string_view(out + 1, 3), 2);  // a text from the slot itself
  EXPECT_STREQ(out, "mal");
  EXPECT_LT(state.slots[2].capacity(), 1u << 20);
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
  char* out = nullptr;
  for (int slot = 0; slot < 7; ++slot) CopyOutString(state, &out, std::string(100, 'x'), slot);
  state.dataStore.Append("A")->AddTable("T")->AddRow()->AddValue("f", "v");
  state.templateStore.Append("B");
  state.templateStore.version = "3.61'";
  state.valueList = std::make_unique<ValueList>();
  state.objectNames.Assign(state.dataStore);
  state.attached = true;
  state.getObjectIndex = 0;

  EXPECT_EQ(KuvDetach(), 1);
  EXPECT_FALSE(state.attached);
  EXPECT_EQ(state.dataStore.GetCount(), 0);
  EXPECT_EQ(state.templateStore.GetCount(), 0);
  EXPECT_EQ(state.templateStore.version, "3.61'");
  EXPECT_EQ(state.valueList, nullptr);
  EXPECT_EQ(state.objectNames.count(), 0);
  for (const SlotBuffer& slot : state.slots) EXPECT_EQ(slot.data(), nullptr);
  EXPECT_EQ(state.getObjectIndex, 0);  // cursors are left alone

  EXPECT_EQ(KuvDetach(), 1);
}

}  // namespace
}  // namespace kuv
