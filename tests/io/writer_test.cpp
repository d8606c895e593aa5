#include "io/writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "io/output_sink.h"
#include "model/definitions.h"
#include "support/memory_files.h"

namespace kuv {
namespace {

using testing::MemoryOutput;
using testing::WrittenText;

constexpr char kHead[] = "<?xml version='1.0'?>\n<KUV Version='2.0'>\n";
constexpr char kTail[] = "</KUV>\n";

CBusinessObject* AddObject(CObjectStore& store, const char* id) {
  CBusinessObject* object = store.Append(id);
  object->author = "ann";
  object->version = "1";
  object->wellId = "W-7";
  object->date = "20021001T14:05:00000";
  return object;
}

std::string Header(const char* id) {
  return std::string("<BusinessObject ID='") + id +
         "' Author='ann' Version='1' WellID='W-7' Date='20021001T14:05:00000'>\n";
}

std::string EmptyDescription() { return "<DataDescription>\n</DataDescription>\n"; }

TEST(WriterLayout, EmptyStoreIsPrologRootAndClosingRootWhateverItsVersion) {
  CObjectStore store;
  store.version = "3.61'";
  EXPECT_EQ(WrittenText(store), std::string(kHead) + kTail);
}

TEST(WriterLayout, ObjectsInStoreOrderWithAllFiveHeaderAttributesAndADescription) {
  CObjectStore store;
  AddObject(store, "b");
  CBusinessObject* bare = store.Append("");
  bare->date = "D";
  bare->author = "A";
  const std::string body = EmptyDescription() + "</BusinessObject>\n";
  EXPECT_EQ(WrittenText(store),
            kHead + Header("b") + body +
                "<BusinessObject ID='' Author='A' Version='' WellID='' Date='D'>\n" + body + kTail);
}

TEST(WriterDefinitions, ParentAttributeOnlyWhenTheParentIsNotEmpty) {
  CObjectStore store;
  CBusinessObject* object = AddObject(store, "x");
  object->SetTableDef("Casing", "");
  object->SetTableDef("Joint", "Casing");
  EXPECT_EQ(WrittenText(store), kHead + Header("x") +
                                    "<DataDescription>\n"
                                    "<TableDef Table='Casing'/>\n"
                                    "<TableDef Table='Joint' Parent='Casing'/>\n"
                                    "</DataDescription>\n"
                                    "</BusinessObject>\n" +
                                    kTail);
}

TEST(WriterDefinitions, TableDefsComeBeforeFieldDefsAndTabsSplitTheTexts) {
  CObjectStore store;
  CBusinessObject* object = AddObject(store, "x");
  object->SetFieldDef(MakeFieldKey("A", "Depth"), "m\tdouble");
  object->SetFieldDef("NoTab", "JustType");      // empty first parts
  object->SetFieldDef("T\tF\tG", "u\tt\tmore");  // later tabs stay
  object->SetTableDef("Z", "");
  EXPECT_EQ(WrittenText(store), kHead + Header("x") +
                                    "<DataDescription>\n"
                                    "<TableDef Table='Z'/>\n"
                                    "<FieldDef Table='A' Field='Depth' Unit='m' Type='double'/>\n"
                                    "<FieldDef Table='' Field='NoTab' Unit='' Type='JustType'/>\n"
                                    "<FieldDef Table='T' Field='F\tG' Unit='u' Type='t\tmore'/>\n"
                                    "</DataDescription>\n"
                                    "</BusinessObject>\n" +
                                    kTail);
}

TEST(WriterTables, NestedTablesFollowTheirRowsValues) {
  CObjectStore store;
  CBusinessObject* object = AddObject(store, "x");
  CTableNode* t = object->AddTable("T");
  CRowNode* first = t->AddRow();
  first->AddValue("A", "1");
  first->AddValue("B", "2");
  first->AddChildTable("C")->AddRow()->AddValue("X", "9");
  CRowNode* second = t->AddRow();
  second->AddValue("A", "3");
  second->AddValue("B", "4");
  EXPECT_EQ(WrittenText(store), kHead + Header("x") + EmptyDescription() +
                                    "<T>\n<A>1</A>\n<B>2</B>\n<C>\n<X>9</X>\n</C>\n"
                                    "<A>3</A>\n<B>4</B>\n</T>\n"
                                    "</BusinessObject>\n" +
                                    kTail);
}

TEST(WriterTables, EmptyTablesAndEmptyRows) {
  CObjectStore store;
  CBusinessObject* object = AddObject(store, "x");
  object->AddTable("Empty");
  CTableNode* t = object->AddTable("T");
  t->AddRow();  // neither values nor child tables: writes nothing
  CRowNode* row = t->AddRow();
  row->AddValue("A", "");
  row->AddChildTable("NoRows");
  EXPECT_EQ(WrittenText(store), kHead + Header("x") + EmptyDescription() +
                                    "<Empty>\n</Empty>\n"
                                    "<T>\n<A></A>\n<NoRows>\n</NoRows>\n</T>\n"
                                    "</BusinessObject>\n" +
                                    kTail);
}

TEST(WriterTables, SiblingChildTablesAndDeeperLevelsKeepTheirOrder) {
  CObjectStore store;
  CTableNode* t = AddObject(store, "x")->AddTable("T");
  CRowNode* row = t->AddRow();
  row->AddValue("A", "1");
  CRowNode* c1 = row->AddChildTable("C1")->AddRow();
  c1->AddValue("X", "x");
  c1->AddChildTable("D")->AddRow()->AddValue("Y", "y");
  row->AddChildTable("C2")->AddRow()->AddValue("Z", "z");
  t->AddRow()->AddValue("A", "2");
  EXPECT_EQ(WrittenText(store), kHead + Header("x") + EmptyDescription() +
                                    "<T>\n<A>1</A>\n"
                                    "<C1>\n<X>x</X>\n<D>\n<Y>y</Y>\n</D>\n</C1>\n"
                                    "<C2>\n<Z>z</Z>\n</C2>\n"
                                    "<A>2</A>\n</T>\n"
                                    "</BusinessObject>\n" +
                                    kTail);
}

TEST(WriterTexts, NothingIsEscapedOrConverted) {
  CObjectStore store;
  CBusinessObject* object = store.Append("it's");
  object->author = "a<b>&\"c\"";
  object->version = "line\nbreak";
  object->wellId = "\t";
  object->date = "\xe9\xff";
  object->SetTableDef("<T>", "p'q");
  CRowNode* row = object->AddTable("T'")->AddRow();
  row->AddValue("F", std::string("a<b>&'\"\r \n\0z", 12));
  EXPECT_EQ(WrittenText(store),
            kHead +
                std::string("<BusinessObject ID='it's' Author='a<b>&\"c\"' Version='line\nbreak' "
                            "WellID='\t' Date='\xe9\xff'>\n"
                            "<DataDescription>\n<TableDef Table='<T>' Parent='p'q'/>\n"
                            "</DataDescription>\n<T'>\n<F>a<b>&'\"\r \n") +
                std::string("\0z", 2) + "</F>\n</T'>\n</BusinessObject>\n" + kTail);
}

// Reading takes a CR LF for one line end, so a CR LF inside a text must be
// written with one more CR to come back; with CR LF line ends every line
// feed, of the layout and of the texts, is written CR LF.
void FillWithLineBreaksInEveryKindOfText(CObjectStore& store) {
  CBusinessObject* object = store.Append("I\r\nd");
  object->author = "a\nb";
  object->version = "\r";
  object->SetTableDef("T\r\n", "");
  object->SetFieldDef(MakeFieldKey("T\r\n", "f\n"), "u\r\n\tt");
  CRowNode* row = object->AddTable("T\r\n")->AddRow();
  row->AddValue("f\n", "v\r\r\n");
  row->AddValue("f\n", "\n\r");
}

// The document with each text exactly as held and LF line ends.
const std::string kTextsAsHeld =
    std::string(kHead) +
    "<BusinessObject ID='I\r\nd' Author='a\nb' Version='\r' WellID='' Date=''>\n"
    "<DataDescription>\n<TableDef Table='T\r\n'/>\n"
    "<FieldDef Table='T\r\n' Field='f\n' Unit='u\r\n' Type='t'/>\n</DataDescription>\n"
    "<T\r\n>\n<f\n>v\r\r\n</f\n>\n<f\n>\n\r</f\n>\n</T\r\n>\n</BusinessObject>\n" +
    kTail;

TEST(WriterLineEnds, LfLineEndsWriteACrLfInATextAsCrCrLf) {
  std::string expected;
  for (std::size_t i = 0; i < kTextsAsHeld.size(); ++i) {
    if (kTextsAsHeld[i] == '\n' && i > 0 && kTextsAsHeld[i - 1] == '\r') expected += '\r';
    expected += kTextsAsHeld[i];
  }
  ASSERT_NE(expected, kTextsAsHeld);
  CObjectStore store;
  FillWithLineBreaksInEveryKindOfText(store);
  EXPECT_EQ(WrittenText(store, platform::LineEnd::kLf), expected);
}

TEST(WriterLineEnds, CrLfLineEndsWriteEveryLineFeedAsCrLf) {
  std::string expected;
  for (char c : kTextsAsHeld) {
    if (c == '\n') expected += '\r';
    expected += c;
  }
  CObjectStore store;
  FillWithLineBreaksInEveryKindOfText(store);
  EXPECT_EQ(WrittenText(store, platform::LineEnd::kCrLf), expected);
}

TEST(WriterLineEnds, LfUnlessToldOtherwise) {
  CObjectStore store;
  FillWithLineBreaksInEveryKindOfText(store);
  MemoryOutput output;
  ASSERT_TRUE(io::WriteDocument(store, output));
  EXPECT_EQ(output.bytes, WrittenText(store, platform::LineEnd::kLf));
}

TEST(WriterTables, HundredThousandLevelsDeepWriteWithoutRecursion) {
  constexpr int kDepth = 100000;
  CObjectStore store;
  CTableNode* table = AddObject(store, "deep")->AddTable("T");
  for (int level = 0; level < kDepth; ++level) {
    CRowNode* row = table->AddRow();
    row->AddValue("v", "1");
    table = row->AddChildTable("T");
  }
  std::string expected = kHead + Header("deep") + EmptyDescription();
  for (int level = 0; level < kDepth; ++level) expected += "<T>\n<v>1</v>\n";
  expected += "<T>\n</T>\n";
  for (int level = 0; level < kDepth; ++level) expected += "</T>\n";
  expected += std::string("</BusinessObject>\n") + kTail;
  EXPECT_TRUE(WrittenText(store) == expected);  // too long to print on failure
}

TEST(WriterTexts, ValueLongerThanAChunkIsWrittenWhole) {
  CObjectStore store;
  const std::string big(io::OutputSink::kDefaultChunkSize * 2 + 17, 'q');
  CRowNode* row = AddObject(store, "x")->AddTable("T")->AddRow();
  row->AddValue("before", "b");
  row->AddValue("F", big);
  row->AddValue("after", "a");
  const std::string expected = kHead + Header("x") + EmptyDescription() +
                               "<T>\n<before>b</before>\n<F>" + big +
                               "</F>\n<after>a</after>\n</T>\n</BusinessObject>\n" + kTail;
  EXPECT_TRUE(WrittenText(store) == expected);
}

// Many rows of one table: enough for several chunks.
void FillRows(CObjectStore& store, int rows) {
  CTableNode* t = AddObject(store, "x")->AddTable("Survey");
  for (int i = 0; i < rows; ++i) {
    CRowNode* row = t->AddRow();
    row->AddValue("Depth", std::to_string(i));
    row->AddValue("Inclination", "12.5");
  }
}

TEST(WriterOutput, FileReceivesFullChunks) {
  CObjectStore store;
  FillRows(store, 100000);  // about 4 MiB
  MemoryOutput output;
  ASSERT_TRUE(io::WriteDocument(store, output));
  ASSERT_GE(output.writeSizes.size(), 2u);
  for (std::size_t i = 0; i + 1 < output.writeSizes.size(); ++i) {
    EXPECT_EQ(output.writeSizes[i], io::OutputSink::kDefaultChunkSize) << "write " << i;
  }
  EXPECT_FALSE(output.committed);  // committing is the caller's business
}

TEST(WriterOutput, FailedWriteIsReportedAndEndsTheWriting) {
  CObjectStore store;
  FillRows(store, 100000);
  MemoryOutput output;
  output.failAfterBytes = 10;
  EXPECT_FALSE(io::WriteDocument(store, output));
  EXPECT_EQ(output.writeSizes.size(), 1u);

  MemoryOutput small;
  small.failAfterBytes = 0;
  EXPECT_FALSE(io::WriteDocument(CObjectStore(), small));
}

TEST(OutputSink, PiecesArriveInOrderAcrossChunkBoundaries) {
  MemoryOutput output;
  std::string expected;
  {
    io::OutputSink sink(output, platform::LineEnd::kLf, 7);
    const std::string pieces[] = {"ab", "", "cdefg", "hijklmnopqrstu", "v", "wxyz0123456789"};
    for (const std::string& piece : pieces) {
      sink.Append(piece);
      expected += piece;
      sink.Append('|');
      expected += '|';
    }
    sink.Append("xy");
    expected += "xy";
    EXPECT_EQ(sink.Claim(6), nullptr);  // no room left in this chunk
    ASSERT_TRUE(sink.Flush());
    char* room = sink.Claim(5);
    ASSERT_NE(room, nullptr);
    std::memcpy(room, "CLAIM", 5);
    expected += "CLAIM";
    EXPECT_EQ(sink.Claim(8), nullptr);  // larger than a chunk
    EXPECT_TRUE(sink.Flush());
  }
  EXPECT_EQ(output.bytes, expected);
  for (std::size_t size : output.writeSizes) EXPECT_GE(size, 1u);
}

TEST(OutputSink, TextLineFeedsAcrossChunkBoundaries) {
  const std::string text = "ab\r\ncd\n\r\r\nef\r";
  for (const auto& [lineEnd, expected] :
       {std::pair{platform::LineEnd::kLf, std::string("ab\r\r\ncd\n\r\r\r\nef\r|\n")},
        std::pair{platform::LineEnd::kCrLf, std::string("ab\r\r\ncd\r\n\r\r\r\nef\r|\r\n")}}) {
    MemoryOutput output;
    io::OutputSink sink(output, lineEnd, 3);
    sink.AppendText(text);
    sink.Append('|');
    sink.EndLine();
    ASSERT_TRUE(sink.Flush());
    EXPECT_EQ(output.bytes, expected);
  }
}

TEST(OutputSink, DropsEverythingAfterAFailure) {
  MemoryOutput output;
  output.failAfterBytes = 3;
  io::OutputSink sink(output, platform::LineEnd::kLf, 4);
  sink.Append("abcdef");
  EXPECT_FALSE(sink.ok());
  const std::size_t calls = output.writeSizes.size();
  sink.Append("more text than a chunk");
  if (char* room = sink.Claim(2)) std::memcpy(room, "zz", 2);
  EXPECT_FALSE(sink.Flush());
  EXPECT_EQ(output.writeSizes.size(), calls);
}

// Chunks written on the writer's own thread arrive whole, in order, and a
// failed one stops everything after it.
TEST(OutputSink, BackgroundWritesKeepOrderAndReportFailures) {
  CObjectStore store;
  FillRows(store, 100000);
  const std::string inline_text = WrittenText(store);
  MemoryOutput output;
  ASSERT_TRUE(io::WriteDocument(store, output, platform::LineEnd::kLf,
                                io::OutputSink::Writes::kInBackground));
  EXPECT_TRUE(output.bytes == inline_text);
  ASSERT_GE(output.writeSizes.size(), 3u);

  MemoryOutput pieces;
  {
    io::OutputSink sink(pieces, platform::LineEnd::kLf, 5, io::OutputSink::Writes::kInBackground);
    std::string expected;
    for (int i = 0; i < 200; ++i) {
      const std::string piece = std::string(static_cast<std::size_t>(i % 13), 'a' + i % 26) + "|";
      sink.Append(piece);
      expected += piece;
    }
    ASSERT_TRUE(sink.Flush());
    EXPECT_EQ(pieces.bytes, expected);
  }

  MemoryOutput failing;
  failing.failAfterBytes = io::OutputSink::kDefaultChunkSize + 10;
  EXPECT_FALSE(io::WriteDocument(store, failing, platform::LineEnd::kLf,
                                 io::OutputSink::Writes::kInBackground));
  EXPECT_EQ(failing.writeSizes.size(), 2u);  // nothing after the failed chunk
}

}  // namespace
}  // namespace kuv
