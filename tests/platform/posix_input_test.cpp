#ifndef _WIN32  // FIFOs and devices of POSIX
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

// Only regular files are documents: anything else fails at once instead of
// blocking the host (a FIFO without a writer would wait forever).
TEST(PosixInput, RefusesWhatIsNotARegularFile) {
  testing::ScratchFolder folder;
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  platform::Platform& posix = platform::DefaultPlatform();
  EXPECT_EQ(posix.OpenInput(fifo, platform::Sharing::kShared), nullptr);
  EXPECT_EQ(posix.OpenInput(folder.path(), platform::Sharing::kShared), nullptr);
  EXPECT_EQ(posix.OpenInput("/dev/null", platform::Sharing::kShared), nullptr);

  testing::FakePlatform fake;
  testing::LoadedLibrary library(fake);
  CurrentState()->TEST_SetAttached(true);
  char* message = nullptr;
  EXPECT_EQ(KuvOpen(fifo.c_str(), &message, 1), 0);
  EXPECT_EQ(std::string(message), "Error : Failed to open input file.: " + fifo);
}

// Why a file cannot be opened, in terms every system shares and the
// system's words.
TEST(PosixInput, SaysWhyAFileCannotBeOpened) {
  testing::ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(testing::WriteFileBytes(path, "<?xml?><KUV Version='2.0'>\n</KUV>\n"));
  platform::Platform& posix = platform::DefaultPlatform();
  const auto failure = [&](const std::string& name, platform::Sharing sharing) {
    platform::FileFailure why;
    EXPECT_EQ(posix.OpenInput(name, sharing, &why), nullptr) << name;
    return why;
  };
  using platform::FileProblem;
  platform::FileFailure why = failure(folder.File("missing.kuv"), platform::Sharing::kShared);
  EXPECT_EQ(why.problem, FileProblem::kNotFound);
  EXPECT_EQ(why.reason, "No such file or directory");
  why = failure(path + "/doc.kuv", platform::Sharing::kShared);
  EXPECT_EQ(why.problem, FileProblem::kNotFound);
  EXPECT_EQ(why.reason, "a part of its path is not a folder");
  why = failure(folder.path(), platform::Sharing::kShared);
  EXPECT_EQ(why.problem, FileProblem::kIsFolder);
  why = failure("/dev/null", platform::Sharing::kShared);
  EXPECT_EQ(why.problem, FileProblem::kNotAFile);
  {
    auto held = posix.OpenInput(path, platform::Sharing::kExclusive);
    ASSERT_NE(held, nullptr);
    why = failure(path, platform::Sharing::kShared);
    EXPECT_EQ(why.problem, FileProblem::kInUse);
    EXPECT_EQ(why.reason, "another program is using it");
  }
  if (::geteuid() != 0) {  // the superuser may read any file
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    why = failure(path, platform::Sharing::kShared);
    EXPECT_EQ(why.problem, FileProblem::kPermissionDenied);
    EXPECT_EQ(why.reason, "Permission denied");
  }
}

TEST(PosixInput, SharedReadersMayMeetButNotAnExclusiveOne) {
  testing::ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  ASSERT_TRUE(testing::WriteFileBytes(path, "<?xml?><KUV Version='2.0'>\n</KUV>\n"));
  platform::Platform& posix = platform::DefaultPlatform();
  auto first = posix.OpenInput(path, platform::Sharing::kShared);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(posix.OpenInput(path, platform::Sharing::kShared), nullptr);
  EXPECT_EQ(posix.OpenInput(path, platform::Sharing::kExclusive), nullptr);
  first.reset();
  auto exclusive = posix.OpenInput(path, platform::Sharing::kExclusive);
  ASSERT_NE(exclusive, nullptr);
  EXPECT_EQ(posix.OpenInput(path, platform::Sharing::kShared), nullptr);
}

}  // namespace
}  // namespace kuv
#endif
