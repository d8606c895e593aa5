#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "frame/library_state.h"
#include "io/document_test_support.h"
#include "io/load.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"

namespace kuv {
namespace {

namespace fs = std::filesystem;

const char kDocument[] =
    "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
    "<BusinessObject ID='B1' Author='ann' Version='1' WellID='W1' Date='20021001T14:05:00000'>\n"
    "<DataDescription>\n</DataDescription>\n<T>\n<A>1</A>\n</T>\n</BusinessObject>\n</KUV>\n";

class Open : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.loaded());
    state().attached = true;  // as after a successful attach
    std::random_device random;
    folder = fs::temp_directory_path() / ("kuv_open_test_" + std::to_string(random()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    // A file the library still holds could not be deleted on Windows.
    if (LibraryState* loaded = CurrentState()) loaded->dataStream.reset();
    fs::remove_all(folder);
  }

  static LibraryState& state() { return *CurrentState(); }

  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Whether another opener could read the file now.
  static bool OthersCanOpen(const std::string& path) {
    return platform::DefaultPlatform().OpenInput(path, platform::Sharing::kShared) != nullptr;
  }

  // Gives the data store an object and points every cursor into it.
  void MoveCursorsIntoTheStore() {
    CBusinessObject* object = state().dataStore.Append("old");
    state().putTable = object->AddTable("T");
    state().putRow = state().putTable->AddRow();
    state().putOwner = object;
    state().putObjectIndex = 0;
    state().getObjectIndex = 0;
    state().valueCursor = 3;
  }

  testing::FakePlatform platform;
  testing::LoadedLibrary library{platform};
  fs::path folder;
};

TEST_F(Open, ReadsTheDocumentAndHandsBackAnEmptyMessage) {
  const std::string path = WriteFile("data.kuv", kDocument);
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 0), 1);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "");
  EXPECT_EQ(testing::StorePicture(state().dataStore),
            "object B1|ann|1|W1|20021001T14:05:00000\ntable T\n row\n  A=1\n");
  EXPECT_EQ(state().dataStore.version, "2.0'");
  EXPECT_EQ(state().currentError, nullptr);
  EXPECT_EQ(platform.cursorShown, 1);
  EXPECT_EQ(platform.cursorRestored, 1);
  EXPECT_TRUE(OthersCanOpen(path));
  EXPECT_EQ(state().dataStream, nullptr);
}

TEST_F(Open, ReplacesTheStoreAndResetsEveryCursor) {
  MoveCursorsIntoTheStore();
  const std::string path = WriteFile("data.kuv", kDocument);
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 0), 1);
  ASSERT_EQ(state().dataStore.GetCount(), 1);
  EXPECT_EQ(state().dataStore.GetAt(0)->id, "B1");
  EXPECT_EQ(state().valueCursor, -2);
  EXPECT_EQ(state().getObjectIndex, -1);
  EXPECT_EQ(state().putObjectIndex, -1);
  EXPECT_EQ(state().putTable, nullptr);
  EXPECT_EQ(state().putRow, nullptr);
  EXPECT_EQ(state().putOwner, nullptr);
}

TEST_F(Open, MissingFileGivesErrorOneWithThePathAndAnEmptyStore) {
  MoveCursorsIntoTheStore();
  state().dataStore.version = "earlier";
  const std::string path = (folder / "missing.kuv").string();
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 0);
  EXPECT_EQ(std::string(message), "Error : Failed to open input file.: " + path);
  EXPECT_EQ(state().dataStore.GetCount(), 0);
  EXPECT_EQ(state().dataStore.version, "earlier");
  EXPECT_EQ(state().valueCursor, -2);
  EXPECT_EQ(state().putTable, nullptr);
  EXPECT_EQ(state().dataStream, nullptr);
  EXPECT_EQ(platform.cursorShown, platform.cursorRestored);
}

TEST_F(Open, ReadingErrorKeepsWhatWasReadAndReportsIt) {
  const std::string whole = kDocument;
  const std::string path = WriteFile("cut.kuv", whole.substr(0, whole.find("</T>") + 2));
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 0), 0);
  EXPECT_STREQ(message, "Error : Token is invalid.");
  EXPECT_EQ(testing::StorePicture(state().dataStore),
            "object B1|ann|1|W1|20021001T14:05:00000\ntable T\n row\n  A=1\n");
}

TEST_F(Open, DoesNothingWhenNotAttached) {
  MoveCursorsIntoTheStore();
  state().attached = false;
  const std::string path = WriteFile("data.kuv", kDocument);
  char* message = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 0);
  EXPECT_EQ(message, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(state().dataStore.GetAt(0)->id, "old");
  EXPECT_EQ(state().valueCursor, 3);
  EXPECT_NE(state().putTable, nullptr);
  EXPECT_TRUE(OthersCanOpen(path));
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
  EXPECT_EQ(state().dataStore.GetAt(0)->id, "old");
  EXPECT_EQ(state().getObjectIndex, 0);
  EXPECT_EQ(state().putObjectIndex, 0);
  EXPECT_NE(state().putRow, nullptr);
  EXPECT_TRUE(OthersCanOpen(path));
}

TEST_F(Open, KeptOpenFileIsSharedWithNobodyUntilReleased) {
  const std::string path = WriteFile("data.kuv", kDocument);
  const std::string other = WriteFile("other.kuv", kDocument);
  char* message = nullptr;

  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 1);
  EXPECT_FALSE(OthersCanOpen(path));
  // Opening the same file again lets the first hold go before it opens.
  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 1);
  EXPECT_FALSE(OthersCanOpen(path));
  // The next open releases it.
  EXPECT_EQ(KuvOpen(other.c_str(), &message, 0), 1);
  EXPECT_TRUE(OthersCanOpen(path));
  EXPECT_TRUE(OthersCanOpen(other));

  EXPECT_EQ(KuvOpen(path.c_str(), &message, 1), 1);
  EXPECT_EQ(KuvDetach(), 1);
  EXPECT_TRUE(OthersCanOpen(path));
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
  EXPECT_FALSE(OthersCanOpen(path));
  EXPECT_NE(state().dataStream, nullptr);
  // Until the host lets the library go.
  EXPECT_EQ(KuvDetach(), 1);
  EXPECT_TRUE(OthersCanOpen(path));
}

TEST_F(Open, LoadingHandsTheOpenFileToTheCaller) {
  const std::string path = WriteFile("Standard.kvt", kDocument);
  CObjectStore store;
  CErrorInfo error;
  auto file = io::LoadStore(platform, store, error, path, kuv::platform::Sharing::kExclusive);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(error.code, kNoError);
  EXPECT_EQ(store.GetCount(), 1);
  EXPECT_FALSE(OthersCanOpen(path));  // held for as long as the caller keeps it
  file.reset();
  EXPECT_TRUE(OthersCanOpen(path));

  EXPECT_EQ(
      io::LoadStore(platform, store, error, path + ".missing", kuv::platform::Sharing::kShared),
      nullptr);
  EXPECT_EQ(error.code, kErrorOpenInput);
  EXPECT_EQ(store.GetCount(), 0);
}

}  // namespace
}  // namespace kuv
