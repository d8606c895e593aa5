#include <gtest/gtest.h>

#include <string>

#include "frame/library_state.h"
#include "io/document_test_support.h"
#include "io/load.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"
#include "support/file_holders.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::NobodyHolds;

const char kDocument[] =
    "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
    "<BusinessObject ID='B1' Author='ann' Version='1' WellID='W1' Date='20021001T14:05:00000'>\n"
    "<DataDescription>\n</DataDescription>\n<T>\n<A>1</A>\n</T>\n</BusinessObject>\n</KUV>\n";

class Open : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.loaded());
    state().TEST_SetAttached(true);  // as after a successful attach
  }
  // A file the library still holds could not be deleted on Windows.
  void TearDown() override { KuvDetach(); }

  static LibraryState& state() { return *CurrentState(); }

  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(testing::WriteFileBytes(path, text));
    return path;
  }

  // Whether another opener could read the file now.
  static bool OthersCanRead(const std::string& path) {
    return platform::DefaultPlatform().OpenInput(path, platform::Sharing::kShared) != nullptr;
  }

  // Gives the data store an object and moves every cursor into it: it is
  // the put object, the put cursor stands in its tree, and the walks stand
  // at its first value.
  void MoveCursorsIntoTheStore() {
    CBusinessObject* object = state().TEST_dataStore().Append("old");
    object->SetTableDef("T", "");
    object->SetFieldDef("T\tA", "\t");
    ASSERT_EQ(KuvPutObject("old", "", "", ""), 1);
    ASSERT_EQ(KuvPutValue("T", "A", "1"), 1);
    ASSERT_EQ(KuvPutValue("T", "A", "2"), 1);
    char* text[5];
    ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
    ASSERT_EQ(NextValueText(), "1");
  }

  // The next value of the current object, or "(none)".
  static std::string NextValueText() {
    char* text[6];
    int row = -1;
    return KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row) == 1
               ? text[4]
               : "(none)";
  }
  static bool PutCursorIsClear() {
    const PutPosition cursor = state().TEST_putPosition();
    return cursor.table == nullptr && cursor.row == nullptr;
  }

  testing::FakePlatform platform;
  testing::LoadedLibrary library{platform};
  testing::ScratchFolder folder;
};

TEST_F(Open, ReadsTheDocumentAndHandsBackAnEmptyMessage) {
  const std::string path = WriteFile("data.kuv", kDocument);
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 0), 1);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "");
  EXPECT_EQ(testing::StorePicture(state().dataStore()),
            "object B1|ann|1|W1|20021001T14:05:00000\ntable T\n row\n  A=1\n");
  EXPECT_EQ(state().dataStore().version, "2.0'");
  EXPECT_EQ(platform.cursorShown, 1);
  EXPECT_EQ(platform.cursorRestored, 1);
  EXPECT_TRUE(NobodyHolds(path));
}

TEST_F(Open, ReplacesTheStoreAndResetsEveryCursor) {
  MoveCursorsIntoTheStore();
  const std::string path = WriteFile("data.kuv", kDocument);
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 0), 1);
  ASSERT_EQ(state().dataStore().GetCount(), 1);
  EXPECT_EQ(state().dataStore().GetAt(0)->id, "B1");
  EXPECT_TRUE(PutCursorIsClear());
  // No put object, although there is one at the old put index.
  EXPECT_EQ(KuvCreateTableDef("U", ""), 0);
  EXPECT_EQ(KuvPutValue("T", "A", "3"), 0);
  // The walk over the store starts again.
  EXPECT_EQ(NextValueText(), "(none)");
  char* text[5];
  ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
  EXPECT_STREQ(text[0], "B1");
  EXPECT_EQ(NextValueText(), "1");
}

TEST_F(Open, MissingFileGivesErrorOneWithThePathAndAnEmptyStore) {
  MoveCursorsIntoTheStore();
  state().TEST_dataStore().version = "earlier";
  const std::string path = folder.File("missing.kuv");
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 0);
  EXPECT_EQ(std::string(message), "Error : Failed to open input file.: " + path);
  EXPECT_EQ(state().dataStore().GetCount(), 0);
  EXPECT_EQ(state().dataStore().version, "earlier");
  EXPECT_EQ(NextValueText(), "(none)");
  EXPECT_TRUE(PutCursorIsClear());
  EXPECT_EQ(platform.cursorShown, platform.cursorRestored);
}

TEST_F(Open, ReadingErrorKeepsWhatWasReadAndReportsIt) {
  const std::string whole = kDocument;
  const std::string path = WriteFile("cut.kuv", whole.substr(0, whole.find("</T>") + 2));
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 0), 0);
  EXPECT_STREQ(message, "Error : Token is invalid.");
  EXPECT_EQ(testing::StorePicture(state().dataStore()),
            "object B1|ann|1|W1|20021001T14:05:00000\ntable T\n row\n  A=1\n");
}

TEST_F(Open, DoesNothingWhenNotAttached) {
  MoveCursorsIntoTheStore();
  state().TEST_SetAttached(false);
  const std::string path = WriteFile("data.kuv", kDocument);
  char* message = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 0);
  EXPECT_EQ(message, reinterpret_cast<char*>(0x1));
  state().TEST_SetAttached(true);
  EXPECT_EQ(state().dataStore().GetAt(0)->id, "old");
  EXPECT_EQ(NextValueText(), "2");
  EXPECT_FALSE(PutCursorIsClear());
  EXPECT_TRUE(NobodyHolds(path));
  EXPECT_EQ(platform.cursorShown, 1);
  EXPECT_EQ(platform.cursorRestored, 1);
}

TEST_F(Open, NullArgumentsChangeNothing) {
  MoveCursorsIntoTheStore();
  const std::string path = WriteFile("data.kuv", kDocument);
  char* message = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvOpen(nullptr, &message, 0), 0);
  EXPECT_EQ(message, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(KuvOpen(path.c_str(), nullptr, 1), 0);
  EXPECT_EQ(state().dataStore().GetAt(0)->id, "old");
  EXPECT_EQ(NextValueText(), "2");
  EXPECT_FALSE(PutCursorIsClear());
  EXPECT_EQ(KuvCreateTableDef("U", ""), 1);  // "old" is still the put object
  EXPECT_TRUE(NobodyHolds(path));
}

TEST_F(Open, KeptOpenFileIsSharedWithNobodyUntilReleased) {
  const std::string path = WriteFile("data.kuv", kDocument);
  const std::string other = WriteFile("other.kuv", kDocument);
  char* message = nullptr;

  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 1);
  EXPECT_FALSE(OthersCanRead(path));
  // Opening the same file again lets the first hold go before it opens.
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 1);
  EXPECT_FALSE(OthersCanRead(path));
  // The next open releases it.
  EXPECT_EQ(KuvOpen(other.c_str(), &message, 0), 1);
  EXPECT_TRUE(OthersCanRead(path));
  EXPECT_TRUE(OthersCanRead(other));

  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 1);
  EXPECT_EQ(KuvDetach(), 1);
  EXPECT_TRUE(OthersCanRead(path));
}

TEST_F(Open, FileHeldElsewhereCannotBeOpened) {
  const std::string path = WriteFile("data.kuv", kDocument);
  auto holder = platform::DefaultPlatform().OpenInput(path, platform::Sharing::kShared);
  ASSERT_NE(holder, nullptr);
  char* message = nullptr;
  // Exclusive use is refused while another reader holds the file; shared
  // reading is not.
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 0);
  EXPECT_EQ(std::string(message), "Error : Failed to open input file.: " + path);
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 0), 1);
}

TEST_F(Open, FileStaysHeldAfterAReadingError) {
  const std::string path = WriteFile("bad.kuv", "<?xml?>\n<NOT A DOCUMENT>\n");
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 0);
  EXPECT_STREQ(message, "Error : This is not a KUV file ( missing KUV declaration statement ).");
  EXPECT_FALSE(OthersCanRead(path));
  // Until the host lets the library go.
  EXPECT_EQ(KuvDetach(), 1);
  EXPECT_TRUE(OthersCanRead(path));
}

TEST_F(Open, LoadingHandsTheOpenFileToTheCaller) {
  const std::string path = WriteFile("Standard.kvt", kDocument);
  CObjectStore store;
  CErrorInfo error;
  auto file = io::LoadStore(platform, store, error, path, kuv::platform::Sharing::kExclusive);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(error.code, kNoError);
  EXPECT_EQ(store.GetCount(), 1);
  EXPECT_FALSE(OthersCanRead(path));  // held for as long as the caller keeps it
  file.reset();
  EXPECT_TRUE(OthersCanRead(path));

  EXPECT_EQ(
      io::LoadStore(platform, store, error, path + ".missing", kuv::platform::Sharing::kShared),
      nullptr);
  EXPECT_EQ(error.code, kErrorOpenInput);
  EXPECT_EQ(store.GetCount(), 0);
}

}  // namespace
}  // namespace kuv
