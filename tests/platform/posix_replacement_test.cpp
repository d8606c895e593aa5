// The POSIX replacement of a file: a temporary beside the target, created
// exclusively, synced and renamed over it.
#ifndef _WIN32  // links, FIFOs and permission bits of POSIX
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/posix_descriptor.h"
#include "platform/posix/posix_io.h"
#include "support/scratch_folder.h"

namespace kuv::platform::posix {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;
using Names = std::vector<std::string>;

bool Replace(const std::string& path, const std::string& bytes) {
  std::unique_ptr<OutputFile> out = BeginFileReplacement(path);
  return out && out->Write(bytes.data(), bytes.size()) && out->Commit();
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(PosixReplacement, CreatesAMissingTargetWithTheUsualBits) {
  ScratchFolder folder;
  const std::string path = folder.File("new.kuv");
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(Replace(path, "fresh"));
  ::umask(mask);
  EXPECT_EQ(ReadFileBytes(path), "fresh");
  EXPECT_EQ(ModeOf(path), 0644u);
  EXPECT_EQ(folder.Names(), Names{"new.kuv"});
}

TEST(PosixReplacement, ExistingTargetKeepsItsPermissionBits) {
  ScratchFolder folder;
  for (mode_t mode : {0600u, 0640u, 0755u, 0604u}) {
    const std::string path = folder.File("doc" + std::to_string(mode));
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_TRUE(Replace(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(ModeOf(path), mode);
  }
}

TEST(PosixReplacement, NothingChangesUntilCommit) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  {
    std::unique_ptr<OutputFile> out = BeginFileReplacement(path);
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(out->Write("new bytes", 9));
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(folder.Names().size(), 2u);  // the temporary beside it
    // While one replacement is under way, a second one is refused.
    EXPECT_EQ(BeginFileReplacement(path), nullptr);
  }  // abandoned: the temporary goes away
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(folder.Names(), Names{"doc.kuv"});
}

TEST(PosixReplacement, ThroughALinkTheLinkedFileIsReplaced) {
  ScratchFolder folder;
  ASSERT_EQ(::mkdir(folder.File("real").c_str(), 0755), 0);
  const std::string real = folder.File("real/doc.kuv");
  ASSERT_TRUE(WriteFileBytes(real, "old"));
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  const std::string link = folder.File("link.kuv");
  ASSERT_EQ(::symlink("real/doc.kuv", link.c_str()), 0);  // relative

  ASSERT_TRUE(Replace(link, "new"));
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFileBytes(real), "new");
  EXPECT_EQ(ModeOf(real), 0640u);
  EXPECT_EQ(folder.Names(), (Names{"link.kuv", "real"}));
}

TEST(PosixReplacement, LoopOfLinksIsRefused) {
  ScratchFolder folder;
  ASSERT_EQ(::symlink("b", folder.File("a").c_str()), 0);
  ASSERT_EQ(::symlink("a", folder.File("b").c_str()), 0);
  EXPECT_EQ(BeginFileReplacement(folder.File("a")), nullptr);
}

std::string g_plantedFolder;
std::string PlantedNames(const std::string&, unsigned attempt) {
  return g_plantedFolder + "/.tmp" + std::to_string(attempt);
}

TEST(PosixReplacement, NeverFollowsOrOverwritesWhatIsPlantedUnderTheTemporaryName) {
  ScratchFolder folder;
  g_plantedFolder = folder.path();
  const std::string victim = folder.File("victim");
  ASSERT_TRUE(WriteFileBytes(victim, "victim"));
  ASSERT_EQ(::symlink("victim", folder.File(".tmp0").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", folder.File(".tmp1").c_str()), 0);  // dangling
  ASSERT_TRUE(WriteFileBytes(folder.File(".tmp2"), "planted"));
  const std::string path = folder.File("doc.kuv");

  std::unique_ptr<OutputFile> out = BeginFileReplacement(path, PlantedNames);
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(out->Write("new", 3));
  ASSERT_TRUE(out->Commit());
  EXPECT_EQ(ReadFileBytes(path), "new");
  EXPECT_EQ(ReadFileBytes(victim), "victim");
  EXPECT_EQ(ReadFileBytes(folder.File(".tmp2")), "planted");
  EXPECT_EQ(ReadFileBytes(folder.File("nowhere")), std::nullopt);
  EXPECT_EQ(folder.Names(), (Names{".tmp0", ".tmp1", ".tmp2", "doc.kuv", "victim"}));
}

TEST(PosixReplacement, RefusesWhatIsNotARegularFile) {
  ScratchFolder folder;
  ASSERT_EQ(::mkdir(folder.File("sub").c_str(), 0755), 0);
  EXPECT_EQ(BeginFileReplacement(folder.File("sub")), nullptr);
  // A FIFO without a reader must neither hang the open nor be replaced.
  ASSERT_EQ(::mkfifo(folder.File("fifo").c_str(), 0644), 0);
  EXPECT_EQ(BeginFileReplacement(folder.File("fifo")), nullptr);
  EXPECT_EQ(BeginFileReplacement(""), nullptr);
  EXPECT_EQ(folder.Names(), (Names{"fifo", "sub"}));
}

// Nobody may write it: refused for the superuser too, whom opening it for
// writing lets through, and left exactly as it was.
TEST(PosixReplacement, ReadOnlyTargetIsRefused) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  errno = 0;
  EXPECT_EQ(BeginFileReplacement(path), nullptr);
  EXPECT_EQ(errno, EACCES);
  const std::string link = folder.File("link.kuv");
  ASSERT_EQ(::symlink("doc.kuv", link.c_str()), 0);
  EXPECT_EQ(BeginFileReplacement(link), nullptr);
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(ModeOf(path), 0444u);
  EXPECT_EQ(folder.Names(), (Names{"doc.kuv", "link.kuv"}));
  // Writable again, it is replaced: the refusal kept no hold on it.
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_TRUE(Replace(path, "new"));
}

TEST(PosixReplacement, LockedTargetIsRefusedUntilReleased) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  for (Sharing sharing : {Sharing::kShared, Sharing::kExclusive}) {
    std::unique_ptr<InputFile> reader = OpenInputFile(path, sharing);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(BeginFileReplacement(path), nullptr);
  }
  EXPECT_TRUE(Replace(path, "new"));
  EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST(PosixReplacement, LongTargetNamesStillGetATemporary) {
  ScratchFolder folder;
  const std::string path = folder.File(std::string(250, 'n'));
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  ASSERT_TRUE(Replace(path, "new"));
  EXPECT_EQ(ReadFileBytes(path), "new");
  EXPECT_EQ(folder.Names().size(), 1u);
}

TEST(PosixReplacement, NoWriteOrCommitAfterCommit) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  std::unique_ptr<OutputFile> out = BeginFileReplacement(path);
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(out->Commit());
  EXPECT_FALSE(out->Commit());
  EXPECT_FALSE(out->Write("x", 1));
  EXPECT_EQ(ReadFileBytes(path), "");
}

// Bytes made durable early stay where they are until Commit, and what is
// written after them is committed too.
TEST(PosixReplacement, WritesAfterMakingDurableAreCommittedToo) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  std::unique_ptr<OutputFile> out = BeginFileReplacement(path);
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(out->Write("first ", 6));
  ASSERT_TRUE(out->MakeDurable());
  EXPECT_EQ(ReadFileBytes(path), "old");
  ASSERT_TRUE(out->Write("second", 6));
  ASSERT_TRUE(out->Commit());
  EXPECT_EQ(ReadFileBytes(path), "first second");
  EXPECT_FALSE(out->MakeDurable());
  EXPECT_EQ(folder.Names(), (Names{"doc.kuv"}));
}

// The ID of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

// The leftovers of a replacement whose process was killed are removed when
// the file is next replaced; nothing a live process may still write is.
TEST(PosixReplacement, TemporariesOfEndedProcessesAreRemoved) {
  ScratchFolder folder;
  const std::string target = folder.File("out.json");
  const std::string ended = std::to_string(EndedProcess());
  const std::string live = std::to_string(::getppid());
  const Names planted = {
      ".out.json.kuv-" + ended + "-3a-0",        // abandoned
      ".out.json.kuv-" + ended + "-3a-1",        // abandoned, but held locked
      ".out.json.kuv-" + live + "-3a-0",         // of a live process
      ".out.json.kuv-" + ended + "-3a-0-notes",  // not a temporary's name
      ".out.json.kuv-" + ended + "-zz-0",        // nor this
      ".other.json.kuv-" + ended + "-3a-0",      // another file's
  };
  for (const std::string& name : planted) ASSERT_TRUE(WriteFileBytes(folder.File(name), "x"));
  ASSERT_EQ(
      ::symlink(".out.json.kuv-1-3a-0", folder.File(".out.json.kuv-" + ended + "-3b-0").c_str()),
      0);
  Descriptor held(::open(folder.File(planted[1]).c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_TRUE(held.valid());
  ASSERT_EQ(::flock(held.get(), LOCK_EX), 0);

  RemoveAbandonedTemporaries(target);
  Names expected(planted.begin() + 1, planted.end());
  expected.push_back(".out.json.kuv-" + ended + "-3b-0");  // a link is never a temporary
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folder.Names(), expected);
  held.Reset();
  RemoveAbandonedTemporaries(target);
  expected.erase(std::find(expected.begin(), expected.end(), planted[1]));
  EXPECT_EQ(folder.Names(), expected);
}

}  // namespace
}  // namespace kuv::platform::posix

#endif  // _WIN32
