// Templates through the document API: read and version-checked as
// KuvAttach does, and the source of new objects' definitions.
#include <gtest/gtest.h>

#include <string>

#include "document_test_support.h"
#include "kuv/document.hpp"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::Example;
using testing::ScratchFolder;
using testing::WriteFileBytes;

TEST(Template, ReadsTheBundledTemplateAndLooksUpFields) {
  const Template standard = Template::Open(Example("Standard.kvt"));
  EXPECT_EQ(standard.path(), Example("Standard.kvt"));
  EXPECT_EQ(standard.version(), "3.61'");
  const auto od = standard.field_definition("CasingStrings", "Casing", "OD");
  ASSERT_TRUE(od.has_value());
  EXPECT_EQ(od->unit, "in");
  EXPECT_EQ(od->type, "float");
  EXPECT_FALSE(standard.field_definition("casingstrings", "Casing", "OD").has_value());
  EXPECT_FALSE(standard.field_definition("CasingStrings", "Casing", "Nothing").has_value());
}

TEST(Template, AnOutdatedTemplateIsRefusedWithTheAttachMessage) {
  ScratchFolder folder;
  const std::string path = folder.File("Standard.kvt");
  ASSERT_TRUE(WriteFileBytes(path, "<?xml?>\n<KUV Version='3.6'>\n</KUV>\n"));
  try {
    Template::Open(path);
    ADD_FAILURE();
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kTemplateVersion);
    EXPECT_EQ(std::string(error.what()),
              "Error : The standard.kvt version is out of date.\nPlease get the newer version "
              "from Brenlow support.: Version number expected to be 3.61 or higher.\nPlace newer "
              "version file into " +
                  path);
  }
  EXPECT_THROW(Template::Open(folder.File("missing.kvt")), Error);
}

TEST(Template, NewAndRewrittenObjectsTakeItsDefinitions) {
  const Template standard = Template::Open(Example("Standard.kvt"));
  Document document;
  BusinessObject casing = document.CreateObject("CasingStrings", "ann", "1", "W", &standard);
  EXPECT_EQ(casing.parent_of("CementStage"), "Casing");
  EXPECT_TRUE(casing.field_definition("Casing", "OD").has_value());
  casing.Put("Casing", "Name", "Surface");
  casing.Put("CementStage", "Stage", "1");

  BusinessObject plain = document.CreateObject("Unknown", "", "", "", &standard);
  EXPECT_TRUE(plain.table_definitions().empty());
  plain.set_id("CasingStrings-2");
  plain.SetTableDefinition("Own", "");
  plain.set_id("CasingStrings");
  plain.Rewrite("bob", "2", "W", &standard);  // the template's are merged into its own
  EXPECT_EQ(plain.parent_of("Own"), "");
  EXPECT_EQ(plain.parent_of("CementStage"), "Casing");
}

}  // namespace
}  // namespace kuv
