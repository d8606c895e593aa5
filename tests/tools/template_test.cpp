// kuv template, and the bundled template registered when none is usable.
#include <filesystem>
#include <string>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;

class Template : public ToolTest {};

TEST_F(Template, TheBundledTemplateIsRegisteredWhenNoneIsAndSaysSo) {
  EXPECT_EQ(Run({"template"}).status, 1);
  ToolRun run = Run({"show", Example("kestrel3_log.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "kuv: no template was registered; registered the bundled template " +
                         Example("Standard.kvt") + "\n");
  EXPECT_EQ(RegisteredValue(), Example("Standard.kvt") + std::string(1, '\0'));
  run = Run({"template"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Example("Standard.kvt") + "\n");
  // Registered now: no notice the next time.
  EXPECT_EQ(Run({"show", Example("kestrel3_log.kuv")}).err, "");
}

TEST_F(Template, ARegisteredTemplateThatVanishedIsReplacedByTheBundledOne) {
  std::filesystem::create_directories(Path("gone"));
  std::filesystem::copy_file(Example("Standard.kvt"), Path("gone/Standard.kvt"));
  ASSERT_EQ(Run({"template", Path("gone/Standard.kvt")}).status, 0);
  std::filesystem::remove(Path("gone/Standard.kvt"));
  ToolRun run = Run({"template"});
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("no longer exists"));
  run = Run({"check", Example("kestrel3_log.kuv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "kuv: the registered template " + Path("gone/Standard.kvt") +
                         " no longer exists; registered the bundled template " +
                         Example("Standard.kvt") + "\n");
}

TEST_F(Template, RegisteringChecksTheNameTheFileAndTheTemplateItself) {
  std::filesystem::copy_file(Example("Standard.kvt"), Path("Other.kvt"));
  ToolRun run = Run({"template", Path("Other.kvt")});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("must be named Standard.kvt"));
  run = Run({"template", Path("Standard.kvt")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("no such file"));

  // A template older than 3.61 is refused and the registration stays.
  WriteFile(Path("Standard.kvt"), "<?xml version='1.0'?>\n<KUV Version='2.0'>\n</KUV>\n");
  run = Run({"template", Path("Standard.kvt")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("The standard.kvt version is out of date."));
  EXPECT_EQ(Run({"template"}).status, 1);  // still none registered

  std::filesystem::create_directories(Path("good"));
  std::filesystem::copy_file(Example("Standard.kvt"), Path("good/Standard.kvt"));
  run = Run({"template", Path("good/../good/Standard.kvt")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "registered " + Path("good/Standard.kvt") + "\n");
  EXPECT_EQ(RegisteredValue(), Path("good/Standard.kvt") + std::string(1, '\0'));
}

// Only what takes the template's definitions reads it: importing JSON of
// format version 1. Reading documents and rebuilding them exactly do not.
TEST_F(Template, ABadRegisteredTemplateFailsWhatNeedsItWithTheLibrarysMessage) {
  std::filesystem::create_directories(Path("old"));
  WriteFile(Path("old/Standard.kvt"), "<?xml version='1.0'?>\n<KUV Version='3.5'>\n</KUV>\n");
  std::filesystem::create_directories(Path("config/KUV/Template"));
  WriteFile(Path("config/KUV/Template/FileName"), Path("old/Standard.kvt") + std::string(1, '\0'));
  WriteFile(Path("v1.json"), R"({"formatVersion": 1, "objects": [{"id": "X"}]})");
  ToolRun run = Run({"import", Path("v1.json"), "-o", Path("v1.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("kuv: cannot read the template: Error : The standard.kvt version "
                                 "is out of date."));
  EXPECT_FALSE(std::filesystem::exists(Path("v1.kuv")));

  run = Run({"show", Example("kestrel3_log.kuv")});
  EXPECT_EQ(run.status, 0) << run.err;
  WriteFile(Path("v2.json"), R"({"formatVersion": 2, "objects": [{"id": "X"}]})");
  run = Run({"import", Path("v2.json"), "-o", Path("v2.kuv")});
  EXPECT_EQ(run.status, 0) << run.err;
}

}  // namespace
}  // namespace kuv::tool
