// Win32 files: share modes between openers, bytes stored as given, and the
// replacement that leaves the old file intact and no temporary behind.
#ifdef _WIN32
#include "platform/win32/win32_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/scratch_folder.h"

namespace kuv::platform::win32 {
namespace {

using kuv::testing::ReadFileBytes;
using kuv::testing::ScratchFolder;
using kuv::testing::WriteFileBytes;
using Names = std::vector<std::string>;

class Win32Files : public ::testing::Test {
 protected:
  std::string Existing(const char* name, const std::string& bytes = "old\r\n") {
    const std::string path = folder.File(name);
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }
  ScratchFolder folder;
};

TEST_F(Win32Files, ExclusiveReaderShutsOutEveryOtherOpener) {
  const std::string path = Existing("doc.kuv");
  auto held = OpenInputFile(path, Sharing::kExclusive);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(OpenInputFile(path, Sharing::kShared), nullptr);
  EXPECT_EQ(OpenInputFile(path, Sharing::kExclusive), nullptr);
  EXPECT_EQ(BeginFileReplacement(path), nullptr);
  held.reset();
  EXPECT_NE(OpenInputFile(path, Sharing::kExclusive), nullptr);
}

TEST_F(Win32Files, SharedReadersMayMeetButNotAnExclusiveOne) {
  const std::string path = Existing("doc.kuv");
  auto first = OpenInputFile(path, Sharing::kShared);
  auto second = OpenInputFile(path, Sharing::kShared);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(OpenInputFile(path, Sharing::kExclusive), nullptr);
}

TEST_F(Win32Files, InputRefusesWhatIsNoFile) {
  EXPECT_EQ(OpenInputFile(folder.File("missing.kuv"), Sharing::kShared), nullptr);
  EXPECT_EQ(OpenInputFile(folder.path(), Sharing::kShared), nullptr);
  EXPECT_EQ(OpenInputFile("", Sharing::kShared), nullptr);
  EXPECT_EQ(OpenInputFile("CON", Sharing::kShared), nullptr);
}

TEST_F(Win32Files, ReadsTheBytesAsStored) {
  const std::string path = Existing("doc.kuv", "a\r\nb\n");
  auto input = OpenInputFile(path, Sharing::kShared);
  ASSERT_NE(input, nullptr);
  char buffer[16];
  ASSERT_EQ(input->Read(buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer, 5), "a\r\nb\n");
  EXPECT_EQ(input->Read(buffer, sizeof buffer), 0);
}

TEST_F(Win32Files, WritesTheBytesAsGiven) {
  const std::string path = folder.File("new.kuv");
  auto out = BeginFileReplacement(path);
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(out->Write("<KUV>\n  <A>", 11));
  ASSERT_TRUE(out->Write("\r\n\n", 3));
  ASSERT_TRUE(out->Write("x\r\r\n", 4));
  ASSERT_TRUE(out->Commit());
  EXPECT_EQ(ReadFileBytes(path), "<KUV>\n  <A>\r\n\nx\r\r\n");
  EXPECT_EQ(folder.Names(), Names{"new.kuv"});
}

TEST_F(Win32Files, ReplacementHoldsTheTargetAndLeavesItUntilCommit) {
  const std::string path = Existing("doc.kuv");
  auto out = BeginFileReplacement(path);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(OpenInputFile(path, Sharing::kShared), nullptr);  // share mode 0
  ASSERT_TRUE(out->Write("new\r\n", 5));
  EXPECT_EQ(folder.Names().size(), 2u);  // the target and its temporary
  ASSERT_TRUE(out->Commit());
  EXPECT_FALSE(out->Write("more\r\n", 6));
  EXPECT_FALSE(out->Commit());
  EXPECT_EQ(ReadFileBytes(path), "new\r\n");
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

TEST_F(Win32Files, AbandonedReplacementKeepsTheOldFileAndNoTemporary) {
  const std::string path = Existing("doc.kuv");
  {
    auto out = BeginFileReplacement(path);
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(out->Write("half a document\n", 16));
  }
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

TEST_F(Win32Files, FailedMoveKeepsWhatIsThereAndNoTemporary) {
  const std::string path = folder.File("doc.kuv");
  auto out = BeginFileReplacement(path);
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(out->Write("new\n", 4));
  // Something else takes the name before the move: a folder cannot be
  // replaced by a file.
  ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
  EXPECT_FALSE(out->Commit());
  EXPECT_EQ(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

TEST_F(Win32Files, ReplacementRefusesTargetsItCannotTake) {
  EXPECT_EQ(BeginFileReplacement(""), nullptr);
  EXPECT_EQ(BeginFileReplacement(folder.File("no-folder/doc.kuv")), nullptr);
  EXPECT_EQ(BeginFileReplacement(folder.path()), nullptr);
  const std::string path = Existing("doc.kuv");
  HANDLE other = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(BeginFileReplacement(path), nullptr);  // another opener has it
  ::CloseHandle(other);
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

// Planted files under the first temporary names are skipped, not touched.
std::string PlantedName(const std::string& target, unsigned attempt) {
  return target + ".planted" + std::to_string(attempt < 2 ? attempt : 99);
}

TEST_F(Win32Files, TemporaryNameTakenMovesOnToAnother) {
  const std::string path = Existing("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path + ".planted0", "mine"));
  ASSERT_TRUE(WriteFileBytes(path + ".planted1", "mine too"));
  auto out = BeginFileReplacement(path, PlantedName);
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(out->Write("new\r\n", 5));
  ASSERT_TRUE(out->Commit());
  EXPECT_EQ(ReadFileBytes(path), "new\r\n");
  EXPECT_EQ(ReadFileBytes(path + ".planted0"), "mine");
  EXPECT_EQ(ReadFileBytes(path + ".planted1"), "mine too");
  EXPECT_EQ(folder.Names(), (Names{"doc.kuv", "doc.kuv.planted0", "doc.kuv.planted1"}));
}

TEST_F(Win32Files, InputSaysWhyItCannotBeOpened) {
  FileFailure why;
  EXPECT_EQ(OpenInputFile(folder.File("missing.kuv"), Sharing::kShared, &why), nullptr);
  EXPECT_EQ(why.problem, FileProblem::kNotFound);
  EXPECT_FALSE(why.reason.empty());
  EXPECT_EQ(OpenInputFile(folder.path(), Sharing::kShared, &why), nullptr);
  EXPECT_EQ(why.problem, FileProblem::kIsFolder);
  const std::string path = Existing("doc.kuv");
  auto held = OpenInputFile(path, Sharing::kExclusive);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(OpenInputFile(path, Sharing::kShared, &why), nullptr);
  EXPECT_EQ(why.problem, FileProblem::kInUse);
  EXPECT_EQ(why.reason, "another program is using it");
}

// The ID of a process that has ended.
DWORD EndedProcess() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char command[] = "cmd.exe /c exit 0";
  if (!::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
    return 0;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return process.dwProcessId;
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(value));
  return text;
}

// The leftovers of a replacement whose process was killed are removed when
// the file is next replaced; nothing a live process may still write is.
TEST_F(Win32Files, TemporariesOfEndedProcessesAreRemoved) {
  const DWORD ended = EndedProcess();
  ASSERT_NE(ended, 0u);
  const std::string target = folder.File("out.json");
  const std::string own = Hex(::GetCurrentProcessId());
  const Names planted = {
      "~out.json.kuv-" + Hex(ended) + "-3a-0.tmp",        // abandoned
      "~out.json.kuv-" + Hex(ended) + "-3a-1.tmp",        // abandoned, but still open
      "~out.json.kuv-" + own + "-3a-0.tmp",               // of a live process
      "~out.json.kuv-" + Hex(ended) + "-3a-0.tmp.notes",  // not a temporary's name
      "~other.json.kuv-" + Hex(ended) + "-3a-0.tmp",      // another file's
  };
  for (const std::string& name : planted) ASSERT_TRUE(WriteFileBytes(folder.File(name), "x"));
  HANDLE held = ::CreateFileA(folder.File(planted[1]).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RemoveAbandonedTemporaries(target);
  Names expected(planted.begin() + 1, planted.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folder.Names(), expected);
  ::CloseHandle(held);
  RemoveAbandonedTemporaries(target);
  expected.erase(std::find(expected.begin(), expected.end(), planted[1]));
  EXPECT_EQ(folder.Names(), expected);
}

TEST(Win32Platform, PathExistsForFilesAndFolders) {
  ScratchFolder folder;
  Platform& system = DefaultPlatform();
  ASSERT_TRUE(kuv::testing::WriteFileBytes(folder.File("a.kvt"), "x"));
  EXPECT_TRUE(system.PathExists(folder.File("a.kvt")));
  EXPECT_TRUE(system.PathExists(folder.path()));
  EXPECT_FALSE(system.PathExists(folder.File("b.kvt")));
}

TEST(Win32Platform, WaitCursorComesAndGoes) {
  Platform& system = DefaultPlatform();
  HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  HCURSOR wait = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));   // IDC_WAIT
  ::SetCursor(arrow);
  void* previous = system.ShowWaitCursor();
  EXPECT_EQ(::GetCursor(), wait);
  system.RestoreCursor(previous);
  EXPECT_EQ(::GetCursor(), arrow);
}

TEST(Win32Platform, LocalTimeIsTheClocks) {
  SYSTEMTIME before;
  ::GetLocalTime(&before);
  const LocalTime now = DefaultPlatform().CurrentLocalTime();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.minute, 0);
  EXPECT_LE(now.minute, 59);
}

}  // namespace
}  // namespace kuv::platform::win32
#endif  // _WIN32
