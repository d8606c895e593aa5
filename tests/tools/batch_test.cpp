// kuv check and kuv export over many files at once: results in the order
// given, one bad file reported without stopping the others, and each
// output file complete or absent.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class Batch : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  // A document large enough that reading it takes longer than the samples.
  std::string LargeDocument() const {
    std::string document =
        "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='Big' Author='' "
        "Version='' WellID='' Date='20021001T14:05:00000'>\n<DataDescription>\n"
        "</DataDescription>\n<T>\n";
    for (int i = 0; i < 200000; ++i) document += "<f>" + std::to_string(i) + "</f>\n";
    document += "</T>\n</BusinessObject>\n</KUV>\n";
    WriteFile(Path("big.kuv"), document);
    return Path("big.kuv");
  }
};

TEST_F(Batch, CheckReportsEveryFileInTheOrderGiven) {
  const std::string big = LargeDocument();
  const std::vector<std::string> files = {big, Example("kestrel3_log.kuv"), Path("missing.kuv"),
                                          TestData("corrupted.kuv"), TestData("nested.kuv")};
  const std::string expected =
      big + ": ok, 1 object, 200000 values\n" + Example("kestrel3_log.kuv") +
      ": ok, 1 object, 220 values\n" + Path("missing.kuv") +
      ": cannot be opened: No such file or directory\n" + TestData("corrupted.kuv") +
      ": Error : Token is invalid.\n" + TestData("nested.kuv") + ": ok, 3 objects, 17 values\n";
  for (const char* jobs : {"1", "4"}) {
    std::vector<std::string> arguments = {"check", "--jobs", jobs};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const ToolRun run = Run(arguments);
    EXPECT_EQ(run.status, 1) << jobs;
    EXPECT_EQ(run.out, expected) << jobs;
    EXPECT_EQ(run.err, "") << jobs;
  }
}

TEST_F(Batch, ExportWritesOneFileForEachDocumentIntoTheFolder) {
  const ToolRun run =
      Run({"export", Example("kestrel3_log.kuv"), Example("kestrel3_casing_tops.kuv"),
           TestData("nested.kuv"), "--format", "json", "-o", Path("out"), "-j", "2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  // Each output is what exporting that document alone writes.
  for (const char* name : {"kestrel3_log", "kestrel3_casing_tops"}) {
    const ToolRun alone = Run({"export", Example(std::string(name) + ".kuv"), "--format", "json"});
    EXPECT_EQ(ReadFile(Path("out/") + name + ".json"), alone.out) << name;
  }
  EXPECT_TRUE(FileExists(Path("out/nested.json")));

  // The options apply to each document; one that lacks what they name
  // fails alone.
  const ToolRun csv = Run({"export", Example("kestrel3_log.kuv"), TestData("nested.kuv"),
                           "--format", "csv", "--table", "Sample", "-o", Path("out")});
  EXPECT_EQ(csv.status, 1);
  // Each file is named once.
  EXPECT_THAT(csv.err, HasSubstr("kuv: " + TestData("nested.kuv") +
                                 " has no object with a table 'Sample'\n"));
  EXPECT_THAT(ReadFile(Path("out/kestrel3_log.csv")), HasSubstr("DEPT,GR,RHOB,NPHI,RT\r\n"));
}

TEST_F(Batch, OneBadDocumentIsReportedAndTheOthersAreStillWritten) {
  fs::create_directory(Path("out"));
  WriteFile(Path("out/corrupted.json"), "previous");
  const ToolRun run =
      Run({"export", TestData("corrupted.kuv"), Example("kestrel3_log.kuv"), Path("missing.kuv"),
           TestData("nested.kuv"), "--format", "json", "-o", Path("out"), "--jobs", "3"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: " + TestData("corrupted.kuv") + ": Error : Token is invalid.\n" +
                         "kuv: " + Path("missing.kuv") +
                         ": cannot be opened: No such file or directory\n");
  // A failed output is left as it was, or not made at all; the others are
  // complete.
  EXPECT_EQ(ReadFile(Path("out/corrupted.json")), "previous");
  EXPECT_FALSE(FileExists(Path("out/missing.json")));
  for (const char* name : {"kestrel3_log.json", "nested.json"}) {
    EXPECT_THAT(ReadFile(Path("out/") + name), HasSubstr("\"formatVersion\": 2")) << name;
  }
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(Path("out"))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"corrupted.json", "kestrel3_log.json", "nested.json"}));
}

// DIR/*.kuv may match a single document; it still goes into the folder.
TEST_F(Batch, OneDocumentIntoAnExistingFolder) {
  fs::create_directory(Path("out"));
  const ToolRun run =
      Run({"export", Example("kestrel3_log.kuv"), "--format", "json", "-o", Path("out")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(FileExists(Path("out/kestrel3_log.json")));
}

TEST_F(Batch, SeveralDocumentsNeedAFolderOfTheirOwnNames) {
  const std::string log = Example("kestrel3_log.kuv");
  const std::string tops = Example("kestrel3_casing_tops.kuv");
  ToolRun run = Run({"export", log, tops, "--format", "json"});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("name it with -o FOLDER"));

  WriteFile(Path("file.json"), "previous");
  run = Run({"export", log, tops, "--format", "json", "-o", Path("file.json")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "kuv: several files are written to a folder, and " + Path("file.json") +
                         " is not one\n");
  EXPECT_EQ(ReadFile(Path("file.json")), "previous");

  // Two documents of one name would overwrite each other's output.
  fs::create_directory(Path("other"));
  fs::copy_file(log, Path("other/kestrel3_log.kuv"));
  run = Run({"export", log, Path("other/kestrel3_log.kuv"), "--format", "json", "-o", Path("out")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "kuv: " + log + " and " + Path("other/kestrel3_log.kuv") +
                         " would both be written to " + Path("out/kestrel3_log.json") + "\n");
  EXPECT_FALSE(FileExists(Path("out")));

  run = Run({"export", log, tops, "--format", "json", "-o", Path("no/such/out")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("cannot create the folder " + Path("no/such/out")));

  EXPECT_EQ(Run({"check", log, "--jobs", "0"}).status, 2);
  EXPECT_EQ(Run({"check", log, "--jobs", "many"}).status, 2);
  EXPECT_EQ(Run({"export", log, tops, "--format", "json", "-o", Path("out"), "-j", "-1"}).status,
            2);
}

}  // namespace
}  // namespace kuv::tool
