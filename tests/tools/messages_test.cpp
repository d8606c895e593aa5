// What the tool says when it cannot do what it is asked: the reason the
// system gave, and what to type instead.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class Messages : public ToolTest {};

TEST_F(Messages, FileThatCannotBeOpenedSaysWhy) {
  RegisterBundledTemplate();
  const std::string missing = Path("missing.kuv");
  ToolRun run = Run({"show", missing});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: Error : Failed to open input file.: " + missing +
                         " (No such file or directory)\n");

  fs::create_directory(Path("folder.kuv"));
  run = Run({"show", Path("folder.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: Error : Failed to open input file.: " + Path("folder.kuv") +
                         " (Is a directory)\n");

  // Held exclusively by another program (this test) while the tool reads.
  const std::string held = Path("held.kuv");
  fs::copy_file(Example("kestrel3_log.kuv"), held);
  const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  run = Run({"check", held, missing});
  ::close(holder);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, held + ": cannot be opened: another program is using it\n" + missing +
                         ": cannot be opened: No such file or directory\n");
}

TEST_F(Messages, FileWithoutReadPermissionSaysSo) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may read any file";
  RegisterBundledTemplate();
  const std::string locked = Path("private.kuv");
  fs::copy_file(Example("kestrel3_log.kuv"), locked);
  fs::permissions(locked, fs::perms::none);
  const ToolRun run = Run({"show", locked});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr(locked + " (Permission denied)\n"));
}

TEST_F(Messages, JobsTakesAWholeNumberOfAtLeastOne) {
  for (const char* jobs : {"0", "-1", "abc", "1.5", ""}) {
    const ToolRun run = Run({"check", "--jobs", jobs, Example("kestrel3_log.kuv")});
    EXPECT_EQ(run.status, 2) << jobs;
    EXPECT_THAT(run.err, HasSubstr("kuv: --jobs takes a whole number of at least 1, not '" +
                                   std::string(jobs) + "'\n"))
        << jobs;
  }
  RegisterBundledTemplate();
  const ToolRun many = Run({"check", "-j", "99999999999999999999", Example("kestrel3_log.kuv")});
  EXPECT_EQ(many.status, 0) << many.err;
}

TEST_F(Messages, FailedExportLeavesNoFolderItMade) {
  RegisterBundledTemplate();
  const ToolRun run = Run({"export", Path("missing.kuv"), TestData("corrupted.kuv"), "--format",
                           "json", "-o", Path("made")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: " + Path("missing.kuv") +
                         ": cannot be opened: No such file or directory\n" +
                         "kuv: " + TestData("corrupted.kuv") + ": Error : Token is invalid.\n");
  EXPECT_FALSE(FileExists(Path("made")));

  // A folder that was there before stays, empty or not.
  fs::create_directory(Path("kept"));
  EXPECT_EQ(Run({"export", Path("missing.kuv"), "--format", "json", "-o", Path("kept/")}).status,
            1);
  EXPECT_TRUE(fs::is_directory(Path("kept")));
}

}  // namespace
}  // namespace kuv::tool
