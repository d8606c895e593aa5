// Standard input and output, pipes and the command line's own messages:
// "-" means a standard stream, a report that cannot be written fails, and
// the parser speaks as the rest of the tool does.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class Streams : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }
};

TEST_F(Streams, DashReadsTheDocumentFromStandardInput) {
  ToolTest::Streams streams;
  streams.input = Example("kestrel3_log.kuv");
  const ToolRun check = Run({"check", "-"}, streams);
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out, "-: ok, 1 object, 220 values\n");

  const ToolRun exported = Run({"export", "-", "--format", "json"}, streams);
  EXPECT_EQ(exported.status, 0) << exported.err;
  const ToolRun direct = Run({"export", Example("kestrel3_log.kuv"), "--format", "json"});
  EXPECT_EQ(exported.out, direct.out);
}

TEST_F(Streams, NamedPipeIsReadAsADocument) {
  const std::string pipe = Path("in.kuv");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string bytes = ReadFile(Example("kestrel3_log.kuv"));
  std::thread writer([&] { WriteFile(pipe, bytes); });
  const ToolRun run = Run({"check", pipe});
  writer.join();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, pipe + ": ok, 1 object, 220 values\n");
}

TEST_F(Streams, ImportReadsJsonFromStandardInputAndWritesTheDocumentToStandardOutput) {
  ASSERT_EQ(Run({"export", Example("kestrel3_log.kuv"), "--format", "json", "-o", Path("log.json")})
                .status,
            0);
  ToolTest::Streams streams;
  streams.input = Path("log.json");
  const ToolRun run = Run({"import", "-", "-o", "-"}, streams);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ReadFile(Example("kestrel3_log.kuv")));
  EXPECT_FALSE(FileExists("-"));
}

TEST_F(Streams, OutputThatCannotBeWrittenFailsWithTheSystemsReason) {
  struct stat info;
  if (::stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode)) GTEST_SKIP() << "no /dev/full";
  ToolTest::Streams streams;
  streams.output = "/dev/full";
  RegisterBundledTemplate();
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"show", Example("kestrel3_log.kuv")},
        {"check", Example("kestrel3_log.kuv")},
        {"export", Example("kestrel3_log.kuv"), "--format", "json"}}) {
    const ToolRun run = Run(arguments, streams);
    EXPECT_EQ(run.status, 1) << arguments.front();
    EXPECT_EQ(run.err, "kuv: cannot write to standard output: No space left on device\n")
        << arguments.front();
  }
  const ToolRun help = Run({"--help"}, streams);
  EXPECT_EQ(help.status, 1);
}

TEST_F(Streams, VersionIsShown) {
  const ToolRun run = Run({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.out, ::testing::MatchesRegex("kuv [0-9]+\\.[0-9]+\\.[0-9]+\n"));
}

TEST_F(Streams, ParserErrorsSpeakAsTheTool) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"export"},
                                                    {"frobnicate"},
                                                    {"show", "x.kuv", "--encoding", "koi8"}}) {
    const ToolRun run = Run(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, StartsWith("kuv: ")) << arguments.front();
  }
  EXPECT_THAT(Run({"show", "x.kuv", "--encoding", "koi8"}).err,
              HasSubstr("use cp1252, latin1 or utf-8"));
}

TEST_F(Streams, HelpNamesTheEncodings) {
  const ToolRun run = Run({"show", "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.out, HasSubstr("cp1252, latin1 or utf-8"));
  EXPECT_THAT(run.out, Not(HasSubstr("->")));
}

TEST_F(Streams, EncodingNamesAreTakenInAnyCase) {
  const ToolRun run = Run({"show", Example("kestrel3_log.kuv"), "--encoding", "UTF-8"});
  EXPECT_EQ(run.status, 0) << run.err;
}

}  // namespace
}  // namespace kuv::tool
