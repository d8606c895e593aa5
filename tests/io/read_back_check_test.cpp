// The save check against the reader itself: for every store, the check
// finds a problem exactly when the writer's bytes read back as another
// store. Stores come from random trees of every shape, well formed or not,
// and from random documents that the reader takes leniently; the cases a
// user meets have tests of their own with the message they get.
#include "io/read_back_check.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "io/reader.h"
#include "io/writer.h"
#include "support/memory_files.h"
#include "support/store_equal.h"

namespace kuv {
namespace {

using testing::DescribeStoreDifference;
using testing::MemoryInput;
using testing::WrittenText;

// What the writer's bytes read back as, compared with the store: "" when
// they read back equal.
std::string ReadBackDifference(const CObjectStore& store) {
  const std::string bytes = WrittenText(store);
  MemoryInput input(bytes, 1 << 16);
  CErrorInfo error;
  CObjectStore read;
  io::ReadDocument(read, error, input);
  if (error.code != kNoError) return "reading failed: " + error.message;
  return DescribeStoreDifference(store, read);
}

void ExpectCheckAgreesWithReading(const CObjectStore& store, const std::string& trace) {
  const std::optional<io::ReadBackProblem> problem = io::FindReadBackProblem(store);
  const std::string difference = ReadBackDifference(store);
  if (problem) {
    EXPECT_NE(difference, "") << "refused what reads back equal: " << io::Describe(*problem) << "\n"
                              << trace << WrittenText(store);
  } else {
    EXPECT_EQ(difference, "") << "passed what reads back different\n"
                              << trace << WrittenText(store);
  }
}

// Random trees of any shape: rows empty or not, fields repeated, nested
// tables without rows, names and texts from an alphabet of the format's
// delimiters and keywords.
class TreeGenerator {
 public:
  explicit TreeGenerator(unsigned seed) : random_(seed) {}

  void Fill(CObjectStore& store) {
    const int objects = Between(1, 3);
    for (int i = 0; i < objects; ++i) FillObject(*store.Append(Text(kIds)));
  }

 private:
  static constexpr const char* kIds[] = {"Well", "Log", "a=", "x'y", "TableDef", "W>"};
  static constexpr const char* kNames[] = {"A",  "B",  "C",      "d",    "DataDescription",
                                           "/x", "!c", "?p",     "a>b",  "FieldDefs",
                                           "T",  "",   "sp ace", "t\tab"};
  static constexpr const char* kTexts[] = {"",     "1",  "two words", "a<b",      "x>y",
                                           "it's", "e=", "\r\n",      "Author='q"};

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool OneIn(int n) { return Between(1, n) == 1; }
  template <std::size_t N>
  std::string Text(const char* const (&choices)[N]) {
    return choices[static_cast<std::size_t>(Between(0, static_cast<int>(N) - 1))];
  }
  // Mostly plain names (tables upper case, fields lower case), now and
  // then one the format has a use for.
  std::string Name() { return OneIn(14) ? Text(kNames) : std::string(1, "ABCD"[Between(0, 3)]); }
  std::string FieldName() {
    return OneIn(14) ? Text(kNames) : std::string(1, "abcd"[Between(0, 3)]);
  }
  std::string Attribute() { return OneIn(25) ? Text(kTexts) : "v" + std::to_string(Between(0, 9)); }

  void FillObject(CBusinessObject& object) {
    object.author = Attribute();
    object.wellId = Attribute();
    object.date = Attribute();
    for (int i = Between(0, 2); i > 0; --i) object.SetTableDef(Name(), OneIn(2) ? "" : Name());
    for (int i = Between(0, 2); i > 0; --i) {
      object.SetFieldDef(Name() + "\t" + FieldName(), Attribute() + "\t" + Attribute());
    }
    for (int i = Between(0, 2); i > 0; --i) FillTable(*object.AddTable(Name()), 0);
  }

  // Depth is kept small: the tree is random, not deep.
  void FillTable(CTableNode& table, int depth) {
    const int rows = OneIn(12) ? 0 : Between(1, 3);
    // Most tables keep to one first field, so that many stores pass.
    const std::string first = FieldName();
    const std::string others = first == "e" ? "f" : "e";
    for (int r = 0; r < rows; ++r) {
      CRowNode& row = *table.AddRow();
      if (!OneIn(15)) {
        row.AddValue(OneIn(12) ? FieldName() : first, OneIn(6) ? Text(kTexts) : "1");
        for (int v = Between(0, 2); v > 0; --v) {
          row.AddValue(OneIn(12) ? first : others, OneIn(8) ? Text(kTexts) : "1.5");
        }
      }
      if (depth < 3 && OneIn(3)) FillTable(*row.AddChildTable(Name()), depth + 1);
    }
  }

  std::mt19937 random_;
};

TEST(ReadBackCheck, AgreesWithReadingOnRandomTrees) {
  int refused = 0;
  constexpr int kStores = 3000;
  for (unsigned seed = 0; seed < kStores; ++seed) {
    CObjectStore store;
    TreeGenerator(seed).Fill(store);
    refused += io::FindReadBackProblem(store).has_value();
    ExpectCheckAgreesWithReading(store, "seed " + std::to_string(seed) + "\n");
    if (::testing::Test::HasFailure()) return;
  }
  // Both answers were given often enough to have been tested.
  EXPECT_GT(refused, kStores / 10);
  EXPECT_LT(refused, kStores * 9 / 10);
}

// Random documents made of the format's pieces, read leniently: whatever
// reading makes of them, the check tells whether a save gives it back.
TEST(ReadBackCheck, AgreesWithReadingOnLenientlyReadDocuments) {
  static constexpr const char* kPieces[] = {
      "<T>",
      "</T>",
      "<A>1</A>",
      "<B>2</B>",
      "<A>",
      "</A>",
      "<C>",
      "</C>",
      "</B>",
      "</X>",
      "<Formation kind='x'>Brent</Formation>",
      "<!-- c -->",
      "<?pi?>",
      "<![CDATA[ x ]]>",
      "text",
      "\n",
      "<DataDescription>",
      "</DataDescription>",
      "<TableDef Table='T'/>",
      "<FieldDef Table='T' Field='A' Unit='m' Type='float'/>",
      "</BusinessObject>",
      "<BusinessObject ID='O' Author='a Version='1' WellID='w' Date='d'>",
      "<BusinessObject ID='P' Author='b' Version='1' WellID='w' Date='d'>"};
  int passed = 0;
  for (unsigned seed = 0; seed < 3000; ++seed) {
    std::mt19937 random(seed);
    std::string bytes =
        "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
        "<BusinessObject ID='W' Author='' Version='' WellID='' Date=''>\n";
    const int count = std::uniform_int_distribution<int>(1, 30)(random);
    for (int i = 0; i < count; ++i) {
      bytes +=
          kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(random)];
    }
    MemoryInput input(bytes, 7);  // small blocks: held texts cross them
    CErrorInfo error;
    CObjectStore store;
    io::ReadDocument(store, error, input);
    passed += !io::FindReadBackProblem(store).has_value();
    ExpectCheckAgreesWithReading(store, "seed " + std::to_string(seed) + ": " + bytes + "\n");
    if (::testing::Test::HasFailure()) return;
  }
  EXPECT_GT(passed, 100);
}

// The messages a user gets, for the shapes a caller can build or a lenient
// reading can make.
class ReadBackMessage : public ::testing::Test {
 protected:
  CBusinessObject& Object() { return *store_.Append("Logs"); }
  std::string Problem() {
    const std::optional<io::ReadBackProblem> problem = io::FindReadBackProblem(store_);
    return problem ? io::Describe(*problem) : "";
  }
  std::string ProblemOfDocument(const std::string& body) {
    const std::string bytes =
        "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='Tops' Author='a' "
        "Version='1' WellID='w' Date='d'>\n" +
        body + "</BusinessObject>\n</KUV>\n";
    MemoryInput input(bytes, 1 << 16);
    CErrorInfo error;
    io::ReadDocument(store_, error, input);
    EXPECT_EQ(error.code, kNoError) << error.message;
    return Problem();
  }
  CObjectStore store_;
};

TEST_F(ReadBackMessage, ShapesTheFormatCannotMarkAreNamedWithTheirPlace) {
  CTableNode& run = *Object().AddTable("Run");
  run.AddRow()->AddValue("Depth", "1");
  run.LastRow()->AddChildTable("Sample");  // no rows: it would come back as a value
  EXPECT_EQ(Problem(),
            "object 'Logs', table 'Run' > 'Sample': the table holds no rows, so it would read "
            "back as a value of the row above");

  store_.Clear();
  CTableNode& table = *Object().AddTable("T");
  table.AddRow()->AddValue("a", "1");
  table.AddRow()->AddValue("b", "2");
  EXPECT_EQ(
      Problem(),
      "object 'Logs', table 'T', row 2, field 'b': the row does not begin with 'a', the field "
      "that begins the table's rows, so it would join the row before");

  store_.Clear();
  CTableNode& empty = *Object().AddTable("T");
  empty.AddRow()->AddValue("a", "1");
  empty.AddRow();
  EXPECT_EQ(Problem(),
            "object 'Logs', table 'T', row 2: the row holds nothing, so it would disappear");

  store_.Clear();
  CRowNode& twice = *Object().AddTable("T")->AddRow();
  twice.AddValue("a", "1");
  twice.AddValue("a", "2");
  EXPECT_EQ(
      Problem(),
      "object 'Logs', table 'T', row 1, field 'a': the field begins the table's rows, so here "
      "it would start a new row");

  // A sibling table under a second row that holds no value of its own, as
  // putting A.a1, B.b1, C.c1 used to build it.
  store_.Clear();
  CTableNode& a = *Object().AddTable("A");
  a.AddRow()->AddValue("a1", "1");
  a.LastRow()->AddChildTable("B")->AddRow()->AddValue("b1", "2");
  a.AddRow()->AddChildTable("C")->AddRow()->AddValue("c1", "3");
  EXPECT_EQ(Problem(),
            "object 'Logs', table 'A' > 'C': its row holds no value before it, so the table would "
            "move under the row before");
}

TEST_F(ReadBackMessage, LenientlyReadDocumentsAreNamedWithTheirPlace) {
  // A tag with attributes is closed by nothing; the next tag opens a table
  // named after the closing tag that came before it.
  EXPECT_EQ(ProblemOfDocument("<Top>\n<Name>Brent</Name>\n<Formation kind='x'>Brent</Formation>\n"
                              "<MD>2100</MD>\n</Top>\n"),
            "object 'Tops', table 'Top' > '/Formation': the table name begins with '/', so its "
            "tag would be read as a closing tag");
  store_.Clear();
  EXPECT_EQ(ProblemOfDocument(
                "<Top>\n<Name>Brent</Name>\n<Note>\n</BusinessObject>\n<MD>1</MD>\n</Top>\n"),
            "object 'Tops', table 'Top' > '/BusinessObject': the table name begins with '/', so "
            "its tag would be read as a closing tag");
  // An attribute without its closing apostrophe takes in the next one.
  store_.Clear();
  const std::string bytes =
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='X' Author='a "
      "Version='1' WellID='w' Date='d'>\n</BusinessObject>\n</KUV>\n";
  MemoryInput input(bytes, 1 << 16);
  CErrorInfo error;
  io::ReadDocument(store_, error, input);
  ASSERT_EQ(store_.GetAt(0)->author, "a Version=");
  EXPECT_EQ(Problem(), "object 'X': its Version '1' would read back as ' Version='");
}

TEST_F(ReadBackMessage, NamesAndTextsThatEndTheirTagAreNamed) {
  Object().AddTable("T")->AddRow()->AddValue("a>b", "1");
  EXPECT_EQ(Problem(),
            "object 'Logs', table 'T', row 1, field 'a>b': the field name holds '>', which would "
            "end its tag");
  store_.Clear();
  Object().AddTable("T")->AddRow()->AddValue("T", "1");
  EXPECT_EQ(Problem(),
            "object 'Logs', table 'T', row 1, field 'T': the field bears the name of its table, so "
            "its closing tag would close the table");
  store_.Clear();
  Object().SetFieldDef("T\tf", "m>\tfloat");
  EXPECT_EQ(Problem(),
            "object 'Logs', definition of field 'f' of table 'T': a text of its definition holds "
            "'>', which would end the tag");
}

// A hundred thousand tables nested in one another are checked without a
// deep stack.
TEST(ReadBackCheck, DeepNestingNeedsNoRecursion) {
  CObjectStore store;
  CTableNode* table = store.Append("Deep")->AddTable("T");
  for (int i = 0; i < 100000; ++i) {
    CRowNode* row = table->AddRow();
    row->AddValue("a", "1");
    table = row->AddChildTable("T");
  }
  table->AddRow()->AddValue("a", "1");
  EXPECT_FALSE(io::FindReadBackProblem(store).has_value());
}

}  // namespace
}  // namespace kuv
