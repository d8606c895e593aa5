// The library on Windows files: documents saved with CR LF line ends and
// read back unchanged, a kept-open file shut to other openers, a failed
// save that keeps the old file. (kuv.dll loaded by a host:
// win32_dll_host_test.cpp.)
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"
#include "support/memory_files.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::FakePlatform;
using testing::LoadedLibrary;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;
using testing::WrittenText;
using Names = std::vector<std::string>;

const std::string kSample = std::string(KUV_SOURCE_DIR) + "/examples/kestrel3_log.kuv";

// The library over the fake registry and dialog; files are the Win32
// backend's.
class Win32Library : public ::testing::Test {
 protected:
  Win32Library() {
    if (LibraryState* loaded = CurrentState()) loaded->TEST_SetAttached(true);
  }
  void SetUp() override { ASSERT_TRUE(library.loaded()); }
  LibraryState& state() { return *CurrentState(); }

  std::string OpenSample() {
    char* message = nullptr;
    EXPECT_EQ(KuvOpen(kSample.c_str(), &message, 0), 1) << (message ? message : "");
    return WrittenText(state().dataStore());
  }

  FakePlatform platform;
  LoadedLibrary library{platform};
  ScratchFolder folder;
};

bool HasBareLineFeed(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return true;
  }
  return false;
}

TEST_F(Win32Library, SavedLinesEndInCrLfAndReadBackUnchanged) {
  const std::string expected = OpenSample();
  ASSERT_FALSE(expected.empty());
  const std::string path = folder.File("saved.kuv");
  char* message = nullptr;
  ASSERT_EQ(KuvSave(path.c_str(), &message), 1) << message;
  const auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_FALSE(HasBareLineFeed(*bytes));
  EXPECT_EQ(*bytes, WrittenText(state().dataStore(), platform::LineEnd::kCrLf));

  ASSERT_EQ(KuvOpen(path.c_str(), &message, 0), 1) << message;
  EXPECT_EQ(WrittenText(state().dataStore()), expected);
}

TEST_F(Win32Library, KeptOpenFileIsSharedWithNobodyUntilSaved) {
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path, *ReadFileBytes(kSample)));
  char* message = nullptr;
  ASSERT_EQ(KuvOpen(path.c_str(), &message, 1), 1) << message;
  HANDLE other = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);

  ASSERT_EQ(KuvSave(path.c_str(), &message), 1) << message;  // releases it first
  other = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
}

TEST_F(Win32Library, FailedSaveKeepsTheOldFileAndNoTemporary) {
  OpenSample();
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path, "old\r\n"));
  char* message = nullptr;
  platform.failCommit = true;
  EXPECT_EQ(KuvSave(path.c_str(), &message), 0);
  platform.failCommit = false;
  platform.failWriteAfterBytes = 100;
  EXPECT_EQ(KuvSave(path.c_str(), &message), 0);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(std::string(message), "Error : Error opening file for save.: " + path);
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

TEST_F(Win32Library, SaveIsRefusedWhileAnotherOpenerHoldsTheTarget) {
  OpenSample();
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path, "old\r\n"));
  HANDLE other = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  char* message = nullptr;
  EXPECT_EQ(KuvSave(path.c_str(), &message), 0);
  ::CloseHandle(other);
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

}  // namespace
}  // namespace kuv
#endif  // _WIN32
