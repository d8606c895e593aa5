// The document API: reading from files and bytes, walking without copies,
// saving, and the errors of each, with the C interface's codes and
// messages.
#include "kuv/document.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "document_test_support.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::Example;
using testing::ReadFileBytes;
using testing::ScratchFolder;

TEST(Document, OpensAFileAndWalksItsTree) {
  const Document document = Document::Open(Example("kestrel3_casing_tops.kuv"));
  EXPECT_EQ(document.version(), "2.0'");
  ASSERT_EQ(document.size(), 2u);
  const BusinessObject casing = document.objects()[0];
  EXPECT_EQ(casing.id(), "CasingStrings");
  EXPECT_EQ(casing.author(), "t.aasen");
  EXPECT_EQ(casing.version(), "1");
  EXPECT_EQ(casing.well_id(), "KES-3");
  EXPECT_EQ(casing.date(), "20240318T14:05:00000");

  ASSERT_EQ(casing.tables().size(), 1u);
  const Table table = casing.tables()[0];
  EXPECT_EQ(table.name(), "Casing");
  EXPECT_FALSE(table.parent_row().has_value());
  ASSERT_EQ(table.rows().size(), 5u);
  const Row surface = table.rows()[1];
  EXPECT_EQ(surface.table(), table);
  ASSERT_EQ(surface.values().size(), 6u);
  EXPECT_EQ(surface.values()[0].field, "Name");
  EXPECT_EQ(surface.values()[0].text, "Surface");
  ASSERT_EQ(surface.child_tables().size(), 1u);
  const Table cement = surface.child_tables()[0];
  EXPECT_EQ(cement.name(), "CementStage");
  ASSERT_TRUE(cement.parent_row().has_value());
  EXPECT_EQ(*cement.parent_row(), surface);

  // Range-for over every level, counting what the C interface counts.
  std::size_t values = 0;
  for (const BusinessObject object : document.objects()) {
    std::vector<Table> pending(object.tables().begin(), object.tables().end());
    while (!pending.empty()) {
      const Table next = pending.back();
      pending.pop_back();
      for (const Row row : next.rows()) {
        values += row.values().size();
        for (const Table child : row.child_tables()) pending.push_back(child);
      }
    }
  }
  EXPECT_EQ(values, 109u);
  EXPECT_THROW(document.objects().at(2), std::out_of_range);
}

TEST(Document, SavesAndSerializesTheBytesThatWereRead) {
  ScratchFolder folder;
  for (const char* name :
       {"kestrel3_casing_tops.kuv", "kestrel3_header_survey.kuv", "kestrel3_log.kuv"}) {
    SCOPED_TRACE(name);
    const std::string bytes = *ReadFileBytes(Example(name));
    const Document document = Document::Parse(bytes);
    EXPECT_EQ(document.Serialize(), bytes);
    document.Save(folder.File(name));
    EXPECT_EQ(ReadFileBytes(folder.File(name)), testing::AsSavedOnThisSystem(bytes));
    EXPECT_EQ(Document::Open(folder.File(name)).Serialize(), bytes);
  }
}

TEST(Document, WritesToAStreamTheBytesThatSaveStores) {
  const std::string bytes = *ReadFileBytes(Example("kestrel3_log.kuv"));
  const Document document = Document::Parse(bytes);
  std::ostringstream out;
  document.Write(out);
  EXPECT_EQ(out.str(), testing::AsSavedOnThisSystem(bytes));

  std::ostringstream failed;
  failed.setstate(std::ios::badbit);
  try {
    document.Write(failed);
    ADD_FAILURE() << "a failed stream was not reported";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kOpenForSave);
  }
}

TEST(Document, TellsAWholeDocumentFromACutOne) {
  const std::string bytes = *ReadFileBytes(Example("kestrel3_log.kuv"));
  EXPECT_TRUE(Document::Parse(bytes).complete());
  EXPECT_TRUE(Document().complete());
  // Cut after a line, as an interrupted transfer leaves it: it reads, but
  // is not complete.
  std::size_t cut = 0;
  for (int line = 0; line < 40; ++line) cut = bytes.find('\n', cut) + 1;
  const Document partial = Document::Parse(bytes.substr(0, cut));
  EXPECT_FALSE(partial.complete());
  EXPECT_EQ(partial.size(), 1u);
}

TEST(Document, ReadingErrorsCarryTheCodeAndMessageOfTheCInterface) {
  struct Case {
    std::string bytes;
    ErrorCode code;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"", ErrorCode::kNotKuv,
       "Error : This is not a KUV file ( missing KUV declaration statement )."},
      {"<?xml version='1.0'?>\n<KUV Version='2.0'>\n", ErrorCode::kInvalidToken,
       "Error : Token is invalid."},
      {"<?xml?>\n<KUV Version='2.0'>\n<BusinessObject ID='A' Author='' Version='' WellID=''>\n"
       "</KUV>\n",
       ErrorCode::kBusinessObject, "Error : Business Object incorrectly defined in file"},
  };
  for (const Case& test : cases) {
    try {
      Document::Parse(test.bytes);
      ADD_FAILURE() << "read: " << test.bytes;
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), test.code);
      EXPECT_STREQ(error.what(), test.message);
    }
  }
  ScratchFolder folder;
  const std::string missing = folder.File("missing.kuv");
  try {
    Document::Open(missing);
    ADD_FAILURE();
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kOpenInput);
    EXPECT_EQ(error.file_problem(), FileProblem::kNotFound);
    EXPECT_FALSE(error.reason().empty());
    // The C interface's message, then the system's reason.
    EXPECT_EQ(std::string(error.what()),
              "Error : Failed to open input file.: " + missing + " (" + error.reason() + ")");
  }
}

TEST(Document, AFailedSaveThrowsAndLeavesTheTargetAsItWas) {
  ScratchFolder folder;
  const std::string target = folder.File("no folder/out.kuv");
  Document document;
  try {
    document.Save(target);
    ADD_FAILURE();
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kOpenForSave);
    EXPECT_EQ(std::string(error.what()), "Error : Error opening file for save.: " + target);
  }
  EXPECT_EQ(document.Serialize(), "<?xml version='1.0'?>\n<KUV Version='2.0'>\n</KUV>\n");
}

// A tree the format cannot give back is refused by every way of saving
// it, before anything is written, with where and why; the file on disk
// stays as it was.
TEST(Document, EverySaveRefusesWhatWouldNotReadBack) {
  ScratchFolder folder;
  const std::string target = folder.File("out.kuv");
  ASSERT_TRUE(testing::WriteFileBytes(target, "before"));
  Document document;
  BusinessObject object = document.CreateObject("Logs", "", "", "");
  Row row = object.AddTable("Run").AddRow();
  row.AddValue("Depth", "1");
  row.AddChildTable("Sample");  // no rows: it would come back as a value
  const std::string why =
      "object 'Logs', table 'Run' > 'Sample': the table holds no rows, so it would read back "
      "as a value of the row above";
  const auto refused = [&](const auto& save, const std::string& message) {
    try {
      save();
      ADD_FAILURE() << "saved: " << message;
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), ErrorCode::kOpenForSave);
      EXPECT_EQ(std::string(error.what()), message);
    }
  };
  refused([&] { document.Save(target); },
          "Error : Error opening file for save.: " + target + ": " + why);
  refused([&] { document.Serialize(); }, "Error : Error opening file for save.: " + why);
  std::ostringstream stream;
  refused([&] { document.Write(stream); }, "Error : Error opening file for save.: " + why);
  DocumentWriter writer(stream);
  const std::size_t opening = stream.str().size();
  refused([&] { writer.Write(object); }, "Error : Error opening file for save.: " + why);
  EXPECT_EQ(stream.str().size(), opening);  // nothing of the object
  EXPECT_EQ(testing::ReadFileBytes(target), "before");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.kuv"});

  // Once it holds a row, it saves, and reads back as it is.
  row.child_tables()[0].AddRow().AddValue("GR", "80");
  EXPECT_FALSE(document.FindReadBackProblem().has_value());
  document.Save(target);
  EXPECT_EQ(Document::Open(target).Serialize(), document.Serialize());
}

// What reading a document passes over is told when asked: a closing tag
// that closes nothing, text it drops.
TEST(Document, ReadingTellsWhatItPassesOver) {
  std::vector<ReadNote> notes;
  const Document document = Document::Parse(
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='Tops' Author='a' "
      "Version='1' WellID='w' Date='d'>\n<Top>\n<Name>Brent</Name>\n</Tops>\n"
      "<![CDATA[ hidden ]]>\n</Top>\n</BusinessObject>\n</KUV>\n",
      &notes);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].what, "the closing tag </Tops> closes nothing that is open");
  EXPECT_EQ(notes[0].object, "Tops");
  EXPECT_EQ(notes[0].table, "Top");
  EXPECT_EQ(notes[0].row, 1u);
  EXPECT_EQ(notes[1].what, "a CDATA section is dropped with its text ' hidden '");
  EXPECT_FALSE(document.FindReadBackProblem().has_value());
}

TEST(Document, CreatesFindsAndRemovesObjects) {
  Document document;
  const BusinessObject a = document.CreateObject("A", "ann", "1", "W-1");
  EXPECT_TRUE(ParseDate(a.date()).has_value());  // stamped with the current time
  EXPECT_THROW(document.CreateObject("A", "bob", "2", "W-2"), Refusal);  // taken
  const BusinessObject b = document.CreateObject("B", "", "", "");
  EXPECT_EQ(document.Find("B"), b);
  EXPECT_FALSE(document.Find("b").has_value());
  EXPECT_THROW(document.CreateObject("O'Neil", "", "", ""), Refusal);
  EXPECT_THROW(document.CreateObject("C", "a>b", "", ""), std::invalid_argument);
  EXPECT_EQ(document.size(), 2u);

  document.Remove(a);
  EXPECT_THROW(document.Remove(a), StaleHandle);  // gone with its node
  ASSERT_EQ(document.size(), 1u);
  EXPECT_EQ(document.objects()[0].id(), "B");

  Document other;
  EXPECT_THROW(other.Remove(b), Refusal);
  EXPECT_EQ(document.size(), 1u);
}

// Handles kept past the removal of their nodes throw, and never reach into
// freed memory (AddressSanitizer watches), also once the nodes' places are
// taken by new ones.
TEST(Document, HandlesOfRemovedNodesThrow) {
  Document document = Document::Open(Example("kestrel3_casing_tops.kuv"));
  BusinessObject object = document.objects()[0];
  Table table = object.tables()[0];
  Row row = table.rows()[0];
  const Items<Row> rows = table.rows();
  object.ClearTables();
  EXPECT_THROW(table.name(), StaleHandle);
  EXPECT_THROW(row.values(), StaleHandle);
  EXPECT_THROW(row.AddValue("x", "1"), StaleHandle);
  EXPECT_THROW(rows[0], StaleHandle);
  // New nodes may take the freed places; the old handles still know.
  const Table fresh = object.AddTable("Fresh");
  fresh.rows();
  EXPECT_NE(fresh, table);
  EXPECT_THROW(table.AddRow(), StaleHandle);

  const BusinessObject second = document.objects()[1];
  const Table kept = second.tables()[0];
  document.Remove(second);
  EXPECT_THROW(second.id(), StaleHandle);
  EXPECT_THROW(second.tables(), StaleHandle);
  EXPECT_THROW(kept.rows(), StaleHandle);
  EXPECT_EQ(object.tables()[0].name(), "Fresh");  // others stay usable
}

TEST(Document, MovesKeepHandlesValid) {
  Document first = Document::Open(Example("kestrel3_log.kuv"));
  const BusinessObject object = first.objects()[0];
  Document second = std::move(first);
  EXPECT_EQ(second.objects()[0], object);
  EXPECT_FALSE(object.id().empty());
}

// A hundred thousand tables nested in one another read, walk, write and
// free without deep recursion.
TEST(Document, DeepNestingNeedsNoDeepStack) {
  constexpr int kDepth = 100000;
  std::string bytes =
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='Deep' Author='' "
      "Version='' WellID='' Date=''>\n<T>\n";
  for (int i = 0; i < kDepth; ++i) bytes += "<a>1</a>\n<T>\n";
  bytes += "<a>1</a>\n";
  for (int i = 0; i <= kDepth; ++i) bytes += "</T>\n";
  bytes += "</BusinessObject>\n</KUV>\n";
  Document document = Document::Parse(bytes);
  int depth = 0;
  for (Table table = document.objects()[0].tables()[0]; !table.rows().empty();) {
    const Row row = table.rows()[0];
    if (row.child_tables().empty()) break;
    table = row.child_tables()[0];
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(Document::Parse(document.Serialize()).Serialize(), document.Serialize());
}

}  // namespace
}  // namespace kuv
