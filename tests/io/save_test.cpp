// KuvSave through the real file system: what is written, what the caller
// gets back, and that every failure leaves the old file exactly as it was.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"
#include "support/file_holders.h"
#include "support/memory_files.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::FakePlatform;
using testing::LoadedLibrary;
using testing::NobodyHolds;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;
using testing::WrittenText;

using Names = std::vector<std::string>;

constexpr char kOldBytes[] = "the old document, which must survive a failed save\n";

std::string SaveErrorFor(const std::string& path) {
  return "Error : Error opening file for save.: " + path;
}

class Save : public ::testing::Test {
 protected:
  Save() {
    if (LibraryState* loaded = CurrentState()) loaded->TEST_SetAttached(true);
  }

  void SetUp() override { ASSERT_TRUE(library.loaded()); }

  LibraryState& state() { return *CurrentState(); }

  // A business object with definitions and one table of rows.
  void FillStore(int rows) {
    CBusinessObject* object = state().TEST_dataStore().Append("Survey");
    object->author = "ann";
    object->version = "1";
    object->wellId = "W-7";
    object->date = "20021001T14:05:00000";
    object->SetTableDef("Stations", "");
    object->SetFieldDef("Stations\tDepth", "m\tdouble");
    CTableNode* table = object->AddTable("Stations");
    for (int i = 0; i < rows; ++i) {
      CRowNode* row = table->AddRow();
      row->AddValue("Depth", std::to_string(i * 30));
      row->AddValue("Inclination", "12.5");
    }
  }

  // The bytes of the saved file.
  std::string Expected() { return WrittenText(state().dataStore(), platform::kTextLineEnd); }

  // Saves to path and expects error 5 with the path in slot 0, and the
  // store as it was.
  void ExpectSaveFails(const std::string& path) {
    const std::string before = Expected();
    char* message = nullptr;
    EXPECT_EQ(KuvSave(path.c_str(), &message), 0);
    EXPECT_TRUE(Expected() == before);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message, SaveErrorFor(path));
    EXPECT_EQ(message, state().slot(0).data());
  }

  // Keeps path open as KuvOpen does when asked to; the file need not be a
  // document for that.
  void KeepOpen(const std::string& path) {
    char* message = nullptr;
    KuvOpen(path.c_str(), &message, 1);
    ASSERT_FALSE(NobodyHolds(path));
  }

  // Puts the old document at name and returns its path.
  std::string OldFile(const char* name = "doc.kuv") {
    const std::string path = folder.File(name);
    EXPECT_TRUE(WriteFileBytes(path, kOldBytes));
    return path;
  }

  FakePlatform platform;
  LoadedLibrary library{platform};
  ScratchFolder folder;
};

TEST_F(Save, NotAttachedTouchesNothing) {
  state().TEST_SetAttached(false);
  FillStore(2);
  const std::string path = folder.File("doc.kuv");
  char* message = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvSave(path.c_str(), &message), 0);
  EXPECT_EQ(message, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(folder.Names(), Names{});
  EXPECT_EQ(platform.cursorShown, 1);
  EXPECT_EQ(platform.cursorRestored, 1);
}

TEST_F(Save, NullArgumentsWriteNothing) {
  FillStore(2);
  const std::string path = folder.File("doc.kuv");
  char* message = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvSave(nullptr, &message), 0);
  EXPECT_EQ(message, reinterpret_cast<char*>(0x1));
  EXPECT_EQ(KuvSave(path.c_str(), nullptr), 0);
  EXPECT_EQ(folder.Names(), Names{});
}

TEST_F(Save, WritesTheDocumentAndHandsBackAnEmptyMessage) {
  FillStore(3);
  const std::string path = folder.File("doc.kuv");
  char* message = nullptr;
  EXPECT_EQ(KuvSave(path.c_str(), &message), 1);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "");
  EXPECT_EQ(message, state().slot(0).data());
  EXPECT_EQ(ReadFileBytes(path), Expected());
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
  EXPECT_EQ(platform.cursorShown, 1);
  EXPECT_EQ(platform.cursorRestored, 1);
}

TEST_F(Save, ReplacesAnExistingFileAndLeavesStoreAndCursorsAlone) {
  FillStore(0);
  ASSERT_EQ(KuvPutObject("Survey", "ann", "1", "W-7"), 1);
  for (const char* depth : {"0", "30", "60"}) ASSERT_EQ(KuvPutValue("Stations", "Depth", depth), 1);
  char* text[6];
  int row = -1;
  ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  const PutPosition cursor = state().TEST_putPosition();
  const std::string path = OldFile();
  const std::string before = Expected();

  char* message = nullptr;
  ASSERT_EQ(KuvSave(path.c_str(), &message), 1);
  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_EQ(Expected(), before);
  EXPECT_EQ(state().TEST_putPosition().table, cursor.table);
  EXPECT_EQ(state().TEST_putPosition().row, cursor.row);
  EXPECT_EQ(KuvCreateTableDef("More", ""), 1);  // the put object stays
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  EXPECT_STREQ(text[4], "30");  // the value walk goes on
  EXPECT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 0);
}

TEST_F(Save, OntoTheFileThatOpenKeptAndThenAgain) {
  const std::string path = OldFile();
  KeepOpen(path);
  FillStore(3);
  // While it is kept, nobody may replace it.
  EXPECT_EQ(platform::DefaultPlatform().BeginReplace(path), nullptr);

  char* message = nullptr;
  EXPECT_EQ(KuvSave(path.c_str(), &message), 1);
  EXPECT_STREQ(message, "");
  EXPECT_TRUE(NobodyHolds(path));
  EXPECT_EQ(ReadFileBytes(path), Expected());

  EXPECT_EQ(KuvSave(path.c_str(), &message), 1);
  EXPECT_EQ(ReadFileBytes(path), Expected());
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

// Failures: each one answers error 5 with the path, keeps the old bytes
// and leaves no temporary file behind.

TEST_F(Save, FailsIntoAMissingFolder) {
  FillStore(2);
  ExpectSaveFails(folder.File("missing/doc.kuv"));
  ExpectSaveFails("");
  EXPECT_EQ(folder.Names(), Names{});
}

TEST_F(Save, FailsWhileAnotherOpenerHoldsTheTarget) {
  FillStore(2);
  const std::string path = OldFile();
  auto held = platform::DefaultPlatform().OpenInput(path, platform::Sharing::kExclusive);
  ASSERT_NE(held, nullptr);
  ExpectSaveFails(path);
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});

  // Windows lets nobody read a file held this way, so its bytes are
  // checked once it is let go; then saving works.
  held.reset();
  EXPECT_EQ(ReadFileBytes(path), kOldBytes);
  char* message = nullptr;
  EXPECT_EQ(KuvSave(path.c_str(), &message), 1);
}

TEST_F(Save, WriteFailingPartWayKeepsTheOldFile) {
  FillStore(2000);
  const std::string path = OldFile();
  for (std::size_t limit : {std::size_t{0}, std::size_t{100}, Expected().size() - 1}) {
    platform.failWriteAfterBytes = limit;
    ExpectSaveFails(path);
    EXPECT_EQ(ReadFileBytes(path), kOldBytes) << "failing after " << limit;
    EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
  }
}

TEST_F(Save, CommitFailureKeepsTheOldFileAndStillReleasesTheKeptOne) {
  const std::string path = OldFile();
  KeepOpen(path);
  FillStore(2);
  platform.failCommit = true;
  ExpectSaveFails(path);
  EXPECT_TRUE(NobodyHolds(path));
  EXPECT_EQ(ReadFileBytes(path), kOldBytes);
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
  EXPECT_EQ(platform.cursorShown, platform.cursorRestored);
}

TEST_F(Save, RefusedReplacementReportsThePath) {
  FillStore(2);
  const std::string path = OldFile();
  platform.failBeginReplace = true;
  ExpectSaveFails(path);
  EXPECT_EQ(ReadFileBytes(path), kOldBytes);
}

#ifndef _WIN32  // file size limits, fork and permission bits are POSIX' own
TEST_F(Save, FileSizeLimitHitWhileWritingKeepsTheOldFile) {
  FillStore(20000);  // several hundred KiB
  const std::string path = OldFile();
  struct rlimit original;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &original), 0);
  struct rlimit limited = original;
  limited.rlim_cur = 64 * 1024;
  if (original.rlim_max != RLIM_INFINITY && original.rlim_max < limited.rlim_cur) {
    GTEST_SKIP() << "the hard file size limit is too low";
  }
  // Past the limit write() fails with EFBIG instead of killing us.
  auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  char* message = nullptr;
  const int result = KuvSave(path.c_str(), &message);
  ::setrlimit(RLIMIT_FSIZE, &original);
  ::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(result, 0);
  EXPECT_EQ(std::string(message ? message : "(null)"), SaveErrorFor(path));
  EXPECT_EQ(ReadFileBytes(path), kOldBytes);
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

// Permission bits don't stop root, so when the tests run as root the save
// runs in a child that has dropped to the unprivileged user nobody.
// Returns what body returned, or -1 when it could not run.
int RunUnprivileged(const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
      ::_exit(100);
    }
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 100 ? -1 : WEXITSTATUS(status);
}

enum SaveOutcome { kFailedWithPath = 10, kSucceeded = 11, kOther = 12 };

int SaveOutcomeOf(const std::string& path) {
  char* message = nullptr;
  const int result = KuvSave(path.c_str(), &message);
  if (result == 0 && message != nullptr && message == SaveErrorFor(path)) return kFailedWithPath;
  if (result == 1 && message != nullptr && *message == '\0') return kSucceeded;
  return kOther;
}

TEST_F(Save, UnprivilegedUserCanSaveIntoAWritableFolder) {
  FillStore(2);
  const std::string path = OldFile();
  ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  EXPECT_EQ(RunUnprivileged([&] { return SaveOutcomeOf(path); }), kSucceeded);
  EXPECT_EQ(ReadFileBytes(path), Expected());
}

TEST_F(Save, FailsInAFolderWithoutWritePermission) {
  FillStore(2);
  const std::string path = OldFile();
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);  // the file itself is writable
  ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
  EXPECT_EQ(RunUnprivileged([&] { return SaveOutcomeOf(path); }), kFailedWithPath);
  EXPECT_EQ(ReadFileBytes(path), kOldBytes);
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

TEST_F(Save, FailsOnAReadOnlyTargetInAWritableFolder) {
  FillStore(2);
  const std::string path = OldFile();
  ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(RunUnprivileged([&] { return SaveOutcomeOf(path); }), kFailedWithPath);
  EXPECT_EQ(ReadFileBytes(path), kOldBytes);
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}
#endif  // _WIN32

}  // namespace
}  // namespace kuv
