// The editing functions refuse every text that a document would give back
// as something else, and everything they accept comes back from a saved
// document exactly as it went in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "api/editing_fixture.h"
#include "io/error_info.h"
#include "io/reader.h"
#include "kuv/kuv.h"
#include "support/store_equal.h"

namespace kuv {
namespace {

// Texts that break an attribute: its end, the tag's end, a definition
// keyword, and a trailing "=" that spells a later key with the closing
// apostrophe.
const std::vector<std::string> kBadAttributes = {
    "O'Neil", "'", "a>b", ">", "xFieldDefx", "TableDef", "Type=", "WellID=", "=",
};
// Names are tag texts too.
const std::vector<std::string> kBadNameOnly = {
    "a<b", "<", "/x", "!x", "?x", "DataDescription",
};
const std::vector<std::string> kBadValues = {"A<B", "<", "x</a1>", "<b>c</b>"};

std::vector<std::string> BadNames() {
  std::vector<std::string> names = kBadAttributes;
  names.insert(names.end(), kBadNameOnly.begin(), kBadNameOnly.end());
  return names;
}

class StorableText : public testing::EditingTest {
 protected:
  StorableText() { AddPlacementTemplate("Well"); }

  // The saved data store, read back into a store of its own.
  std::string SaveAndCompareWithReadBack() {
    Saved();
    CObjectStore readBack;
    CErrorInfo error;
    auto input = platform.OpenInput(savedPath().string(), platform::Sharing::kShared);
    if (!input) return "the saved file cannot be opened";
    io::ReadDocument(readBack, error, *input);
    if (error.code != kNoError) return "reading back failed: " + error.message;
    return testing::DescribeStoreDifference(state().dataStore(), readBack);
  }

  // Runs call once per bad text and checks that each is refused without a
  // trace in the saved document.
  void ExpectAllRefused(const std::vector<std::string>& texts,
                        const std::function<int(const char*)>& call) {
    const std::string before = Saved();
    for (const std::string& text : texts) {
      EXPECT_EQ(call(text.c_str()), 0) << "accepted \"" << text << "\"";
    }
    EXPECT_EQ(Saved(), before);
  }

};

TEST_F(StorableText, HeaderTextsOfNewAndRewrittenObjectsAreRefused) {
  ExpectAllRefused(kBadAttributes, [](const char* t) { return KuvCreateObject(t, "a", "1", "w"); });
  ExpectAllRefused(kBadAttributes,
                   [](const char* t) { return KuvCreateObject("Well", t, "1", "w"); });
  ExpectAllRefused(kBadAttributes,
                   [](const char* t) { return KuvCreateObject("Well", "a", t, "w"); });
  ExpectAllRefused(kBadAttributes,
                   [](const char* t) { return KuvCreateObject("Well", "a", "1", t); });

  ASSERT_EQ(KuvCreateObject("Well", "ann", "1", "w-1"), 1);
  ASSERT_EQ(KuvPutValue("A", "a1", "kept"), 1);
  ExpectAllRefused(kBadAttributes, [](const char* t) { return KuvPutObject("Well", t, "1", "w"); });
  ExpectAllRefused(kBadAttributes, [](const char* t) { return KuvPutObject("Well", "a", t, "w"); });
  ExpectAllRefused(kBadAttributes, [](const char* t) { return KuvPutObject("Well", "a", "1", t); });
  // The refused rewrite kept the object's content and put cursor.
  EXPECT_EQ(KuvPutValue("A", "a2", "next"), 1);
  EXPECT_EQ(testing::TreeText(*DataObject(0)), "A(a1=kept a2=next)");
}

TEST_F(StorableText, DefinitionTextsAreRefused) {
  ASSERT_EQ(KuvCreateObject("Well", "ann", "1", "w-1"), 1);
  const std::vector<std::string> names = BadNames();
  ExpectAllRefused(names, [](const char* t) { return KuvCreateTableDef(t, ""); });
  ExpectAllRefused(names, [](const char* t) { return KuvCreateTableDef(t, "A"); });
  ExpectAllRefused(names, [](const char* t) { return KuvCreateFieldDef(t, "f", "m", "float"); });
  ExpectAllRefused(names, [](const char* t) { return KuvCreateFieldDef("A", t, "m", "float"); });
  ExpectAllRefused(kBadAttributes,
                   [](const char* t) { return KuvCreateFieldDef("A", "f", t, "float"); });
  ExpectAllRefused(kBadAttributes,
                   [](const char* t) { return KuvCreateFieldDef("A", "f", "m", t); });
}

TEST_F(StorableText, NamesDeclaredElsewhereAreRefusedAsParentsAndTags) {
  // A template read from a file may declare names that cannot be written
  // as tags; they are refused where they would become one.
  AddTemplate("Odd", {{"DataDescription", ""}, {"A", ""}},
              {{"DataDescription\tf", "\t"}, {"A\t!f", "\t"}, {"A\tf", "\t"}});
  ASSERT_EQ(KuvCreateObject("Odd", "ann", "1", "w-1"), 1);
  EXPECT_EQ(KuvCreateTableDef("T", "DataDescription"), 0);
  EXPECT_EQ(KuvPutValue("DataDescription", "f", "1"), 0);
  EXPECT_EQ(KuvPutValue("A", "!f", "1"), 0);
  EXPECT_EQ(KuvPutValue("A", "f", "1"), 1);
}

TEST_F(StorableText, ValuesWithATagStartAreRefusedOnEveryPath) {
  ASSERT_EQ(KuvCreateObject("Well", "ann", "1", "w-1"), 1);
  // The first value of a table, a value of the open row, and a repeat of
  // the row's first field each take another way through the placement.
  ExpectAllRefused(kBadValues, [](const char* t) { return KuvPutValue("A", "a1", t); });
  ASSERT_EQ(KuvPutValue("A", "a1", "1"), 1);
  ExpectAllRefused(kBadValues, [](const char* t) { return KuvPutValue("A", "a2", t); });
  ExpectAllRefused(kBadValues, [](const char* t) { return KuvPutValue("A", "a1", t); });
  ASSERT_EQ(KuvPutValue("A", "a2", "2"), 1);
  EXPECT_EQ(testing::TreeText(*DataObject(0)), "A(a1=1 a2=2)");
}

// Texts made of the pieces that matter to the format: its delimiters, its
// keywords and keys, line ends and bytes above 127.
std::string RandomText(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"a",
                                                  "Z",
                                                  " ",
                                                  "\t",
                                                  "\n",
                                                  "\r",
                                                  "\r\n",
                                                  "'",
                                                  "\"",
                                                  "<",
                                                  ">",
                                                  "=",
                                                  "/",
                                                  "!",
                                                  "?",
                                                  "&",
                                                  "&lt;",
                                                  "Field",
                                                  "Table",
                                                  "Def",
                                                  "FieldDef",
                                                  "TableDef",
                                                  "DataDescription",
                                                  "ID",
                                                  "Author",
                                                  "Version",
                                                  "WellID",
                                                  "Date",
                                                  "Unit",
                                                  "Type",
                                                  "Parent",
                                                  "\xe6",
                                                  "\x81",
                                                  "\xff"};
  std::uniform_int_distribution<std::size_t> length(0, 4);
  std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
  std::string text;
  for (std::size_t n = length(random); n > 0; --n) text += pieces[piece(random)];
  return text;
}

TEST_F(StorableText, EverythingAcceptedReadsBackEqual) {
  std::mt19937 random(20261208);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    ASSERT_EQ(KuvDetach(), 1);
    state().TEST_SetAttached(true);
    const std::string id = "O" + RandomText(random);
    if (!KuvCreateObject(id.c_str(), RandomText(random).c_str(), RandomText(random).c_str(),
                         RandomText(random).c_str())) {
      continue;
    }
    // A top-level table and a child, each with a first field that starts
    // its rows and a second one; the names differ from one another so
    // that the reader can tell fields from tables.
    const std::string top = "T" + RandomText(random);
    const std::string child = "C" + RandomText(random);
    const std::string first = "f" + RandomText(random);
    const std::string second = "g" + RandomText(random);
    if (!KuvCreateTableDef(top.c_str(), "") || !KuvCreateTableDef(child.c_str(), top.c_str()) ||
        !KuvCreateFieldDef(top.c_str(), first.c_str(), RandomText(random).c_str(),
                           RandomText(random).c_str()) ||
        !KuvCreateFieldDef(top.c_str(), second.c_str(), "", "") ||
        !KuvCreateFieldDef(child.c_str(), first.c_str(), "", "")) {
      continue;
    }
    // Every row must begin with its first field to be told apart on
    // reading, so a refused value gives way to a plain one.
    const auto put = [&](const std::string& table, const std::string& field) {
      if (!KuvPutValue(table.c_str(), field.c_str(), RandomText(random).c_str())) {
        ASSERT_EQ(KuvPutValue(table.c_str(), field.c_str(), "v"), 1);
      }
    };
    for (int row = 0; row < 2; ++row) {
      put(top, first);
      put(top, second);
      put(child, first);
    }
    ++accepted;
    ASSERT_EQ(SaveAndCompareWithReadBack(), "") << "round " << round;
  }
  EXPECT_GT(accepted, 100);
}

}  // namespace
}  // namespace kuv
