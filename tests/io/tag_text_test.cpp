#include "io/tag_text.h"

#include <gtest/gtest.h>

namespace kuv::io {
namespace {

TEST(TagText, FieldDefinitionWinsWhereverItStands) {
  EXPECT_EQ(DefinitionIn("FieldDef Table='T' Field='F'/"), Definition::kField);
  EXPECT_EQ(DefinitionIn("TableDef Table='T'/"), Definition::kTable);
  EXPECT_EQ(DefinitionIn("TableDef Table='MyFieldDefs'/"), Definition::kField);
  EXPECT_EQ(DefinitionIn("!-- TableDef -- Def FieldDef"), Definition::kField);
  EXPECT_EQ(DefinitionIn("Def TableDe TableDef"), Definition::kTable);
  EXPECT_EQ(DefinitionIn("Defaults"), Definition::kNone);
  EXPECT_EQ(DefinitionIn("ieldDef"), Definition::kNone);
  EXPECT_EQ(DefinitionIn(""), Definition::kNone);
}

TEST(TagText, AttributeRunsFromTheFirstKeyToTheNextApostrophe) {
  EXPECT_EQ(AttributeText("B ID='1' X='2'", "ID='"), "1");
  EXPECT_EQ(AttributeText("B WellID='W' ID='I'", "ID='"), "W");
  EXPECT_EQ(AttributeText("B ID=''", "ID='"), "");
  EXPECT_EQ(AttributeText("B ID='x\"y>z'", "ID='"), "x\"y>z");
  EXPECT_FALSE(AttributeText("B ID='open", "ID='"));
  EXPECT_FALSE(AttributeText("B ID=\"1\"", "ID='"));
  EXPECT_FALSE(AttributeText("", "ID='"));
}

}  // namespace
}  // namespace kuv::io
