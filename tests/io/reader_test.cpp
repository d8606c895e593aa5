#include "io/reader.h"

#include <gtest/gtest.h>

#include <string>

#include "io/document_test_support.h"

namespace kuv::io {
namespace {

using testing::StorePicture;
using testing::TrickleInput;

const char kProlog[] = "<?xml version='1.0'?>\n<KUV Version='2.0'>\n";
const char kHeader[] =
    "<BusinessObject ID='B1' Author='ann' Version='1' WellID='W1' "
    "Date='20021001T14:05:00000'>\n";
const char kHeaderLine[] = "object B1|ann|1|W1|20021001T14:05:00000\n";

std::string Document(const std::string& content) {
  return std::string(kProlog) + kHeader + "<DataDescription>\n</DataDescription>\n" + content +
         "</BusinessObject>\n</KUV>\n";
}

class Reader : public ::testing::Test {
 protected:
  void Read(const std::string& text, std::size_t pieceSize = 1 << 20,
            std::size_t failAt = std::string::npos) {
    TrickleInput input(text, pieceSize, failAt);
    ReadDocument(store, error, input);
  }
  // Reads a document with this content into a store of its own and
  // returns the picture of its tables alone. The file is also served a few
  // bytes at a time, so that tokens run over block ends, which must not
  // change what is read.
  static std::string ContentOf(const std::string& content) {
    std::string pictures[3];
    const std::size_t pieceSizes[3] = {1 << 20, 1, 3};
    for (int i = 0; i < 3; ++i) {
      CObjectStore read;
      CErrorInfo readError;
      TrickleInput input(Document(content), pieceSizes[i]);
      ReadDocument(read, readError, input);
      EXPECT_EQ(readError.code, 0) << readError.message;
      pictures[i] = StorePicture(read);
    }
    EXPECT_EQ(pictures[1], pictures[0]);
    EXPECT_EQ(pictures[2], pictures[0]);
    const std::string& picture = pictures[0];
    return picture.rfind(kHeaderLine, 0) == 0 ? picture.substr(sizeof kHeaderLine - 1) : picture;
  }

  CObjectStore store;
  CErrorInfo error;
};

// ---- Errors and what survives them ----------------------------------------

TEST_F(Reader, EmptyFileIsNotAKuvFileAndKeepsTheVersion) {
  store.version = "earlier";
  Read("");
  EXPECT_EQ(error.code, 3);
  EXPECT_EQ(error.message, "Error : This is not a KUV file ( missing KUV declaration statement ).");
  EXPECT_EQ(store.GetCount(), 0);
  EXPECT_EQ(store.version, "earlier");
}

TEST_F(Reader, RootMustBeTheSecondTag) {
  store.version = "earlier";
  Read("<KUV Version='2.0'>\n" + std::string(kHeader) + "</BusinessObject>\n</KUV>\n");
  EXPECT_EQ(error.code, 3);
  EXPECT_EQ(store.GetCount(), 0);
  EXPECT_EQ(store.version, "earlier");
}

TEST_F(Reader, MissingKuvReplacesAnEarlierTokenError) {
  Read("<?xml?>\n<ROOT Version='2.0'");  // ends inside the root tag
  EXPECT_EQ(error.code, 3);
}

TEST_F(Reader, NothingAfterTheRootTagIsAnInvalidToken) {
  Read(kProlog);
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(error.message, "Error : Token is invalid.");
  EXPECT_EQ(store.version, "2.0'");
}

TEST_F(Reader, RootCutShortAfterKuvStillGivesItsVersion) {
  Read("<?xml version='1.0'?>\n<KUV Version='3.61'");
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(store.version, "3.61'");
}

TEST_F(Reader, CutInsideAValueKeepsWhatClosedBefore) {
  const std::string whole = Document("<T>\n<A>1</A>\n<B>22</B>\n</T>\n");
  Read(whole.substr(0, whole.find("22") + 1));
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) + "table T\n row\n  A=1\n");
}

TEST_F(Reader, CutInsideATagIsAnInvalidToken) {
  const std::string whole = Document("<T>\n<A>1</A>\n</T>\n");
  Read(whole.substr(0, whole.find("/A") + 1));
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) + "table T\n");
}

TEST_F(Reader, BusinessObjectWithoutDateKeepsTheOtherAttributesAndStops) {
  Read(std::string(kProlog) +
       "<BusinessObject ID='B1' Author='ann' Version='1' WellID='W1'>\n"
       "<T>\n<A>1</A>\n</T>\n</BusinessObject>\n" +
       kHeader + "</BusinessObject>\n</KUV>\n");
  EXPECT_EQ(error.code, 6);
  EXPECT_EQ(error.message, "Error : Business Object incorrectly defined in file");
  EXPECT_EQ(StorePicture(store), "object B1|ann|1|W1|\n");
}

TEST_F(Reader, BusinessObjectWithoutIdLeavesNoObject) {
  Read(std::string(kProlog) + "<BusinessObject Author='ann' Version='1' Date='d'>\n</KUV>\n");
  EXPECT_EQ(error.code, 6);
  EXPECT_EQ(store.GetCount(), 0);
}

TEST_F(Reader, UnclosedAttributeValueIsAnIncorrectBusinessObject) {
  Read(std::string(kProlog) + "<BusinessObject ID='B1>\n</KUV>\n");
  EXPECT_EQ(error.code, 6);
  EXPECT_EQ(store.GetCount(), 0);

  CObjectStore second;
  CErrorInfo secondError;
  TrickleInput input(
      std::string(kProlog) +
      "<BusinessObject ID='B1' Author='ann' Version='1' WellID='W1' Date='x>\n</KUV>\n");
  ReadDocument(second, secondError, input);
  EXPECT_EQ(secondError.code, 6);
  EXPECT_EQ(StorePicture(second), "object B1|ann|1|W1|\n");
}

TEST_F(Reader, ObjectsBeforeAnErrorStay) {
  Read(std::string(kProlog) + kHeader +
       "<T>\n<A>1</A>\n</T>\n</BusinessObject>\n<Broken>\n</KUV>\n");
  EXPECT_EQ(error.code, 6);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) + "table T\n row\n  A=1\n");
}

TEST_F(Reader, ReadingFailureInsideATokenIsAnInvalidToken) {
  const std::string whole = Document("<T>\n<A>1</A>\n<B>22</B>\n</T>\n");
  Read(whole, 3, whole.find("22") + 1);
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) + "table T\n row\n  A=1\n");
}

TEST_F(Reader, ReadingFailureAfterAClosingTagIsNeverASuccess) {
  const std::string whole = Document("<T>\n<A>1</A>\n</T>\n");
  // Once while skipping the text after the closing tag, once right after it.
  for (std::size_t cut : {whole.find("</T>") + 4, whole.find("</T>") + 6}) {
    CObjectStore partial;
    CErrorInfo partialError;
    TrickleInput input(whole, 1 << 20, cut);
    ReadDocument(partial, partialError, input);
    EXPECT_EQ(partialError.code, 2) << cut;
    EXPECT_EQ(partialError.message, "Error : File is corrupted.");
    EXPECT_EQ(StorePicture(partial), std::string(kHeaderLine) + "table T\n row\n  A=1\n");
  }
}

// ---- Clean ends -------------------------------------------------------------

TEST_F(Reader, EndsCleanlyWithoutTheClosingRootOrTheLastNewline) {
  const std::string body = std::string(kProlog) + kHeader + "<T>\n<A>1</A>\n</T>\n";
  for (const std::string& text :
       {body + "</BusinessObject>", body + "</BusinessObject>\n", body + "</BusinessObject>\n<",
        body + "</BusinessObject>\n</KUV>", body + "</BusinessObject>\n</KUV>\n\n  \n"}) {
    CObjectStore read;
    CErrorInfo readError;
    TrickleInput input(text);
    ReadDocument(read, readError, input);
    EXPECT_EQ(readError.code, 0) << text;
    EXPECT_EQ(StorePicture(read), std::string(kHeaderLine) + "table T\n row\n  A=1\n");
  }
}

TEST_F(Reader, AppendsToWhatTheStoreHolds) {
  store.Append("earlier");
  Read(Document(""));
  EXPECT_EQ(error.code, 0);
  ASSERT_EQ(store.GetCount(), 2);
  EXPECT_EQ(store.GetAt(0)->id, "earlier");
  EXPECT_EQ(store.GetAt(1)->id, "B1");
}

// ---- Root version text ------------------------------------------------------

TEST_F(Reader, VersionTextComesFromTheRootTag) {
  const std::pair<std::string, std::string> cases[] = {
      {"KUV Version='2.0'", "2.0'"},    // the closing apostrophe stays
      {"KUV Version='3.61'?", "3.61"},  // a "?" cuts the character before it
      {"KUV Version='3.61' x='?'", "3.61' x="},
      {"KUV", "KUV"},  // no "=": the whole text
      {"KUV?x", "KU"},
      {"?KUV", ""},
      {"KUV a=", ""},
      {"KUV a=b", ""},
  };
  for (const auto& [root, version] : cases) {
    CObjectStore read;
    CErrorInfo readError;
    TrickleInput input("<?xml?>\n<" + root + ">\n</KUV>\n");
    ReadDocument(read, readError, input);
    EXPECT_EQ(readError.code, 0) << root;
    EXPECT_EQ(read.version, version) << root;
  }
}

// ---- Business object header -------------------------------------------------

TEST_F(Reader, HeaderAttributesInAnyOrderAsLongAsIdPrecedesWellId) {
  Read(std::string(kProlog) +
       "<Anything Date='d' Extra='e' ID='I' WellID='W' Version='v' Author='a'>\n"
       "</Anything>\n"
       "<BusinessObject WellID='W' ID='I' Author='a' Version='v' Date='d'>\n"
       "</BusinessObject>\n</KUV>\n");
  EXPECT_EQ(error.code, 0);
  // In the second object "ID='" is first found inside "WellID='".
  EXPECT_EQ(StorePicture(store), "object I|a|v|W|d\nobject W|a|v|W|d\n");
}

TEST_F(Reader, StrayClosingTagEndsTheBusinessObject) {
  Read(std::string(kProlog) + kHeader + "</Stray>\n<T>\n<A>1</A>\n</T>\n</BusinessObject>\n");
  EXPECT_EQ(error.code, 6);
  EXPECT_EQ(StorePicture(store), kHeaderLine);
}

// ---- Definitions --------------------------------------------------------------

TEST_F(Reader, ReadsDefinitionsWhereverTheyStand) {
  Read(std::string(kProlog) + kHeader +
       "<DataDescription>\n"
       "<TableDef Table='T'/>\n"
       "<TableDef Table='C' Parent='T'/>\n"
       "<FieldDef Table='T' Field='A' Unit='m' Type='double'/>\n"
       "<!-- FieldDef Table='T' Field='B' Unit='s' Type='int' -->\n"
       "<FieldDef Table='T' Field='A' Unit='ft' Type='double'>\n"
       "</DataDescription>\n"
       "<T>\n<A>1</A>\n<TableDef Table='Late'/>\n</T>\n"
       "<MyFieldDefinition Table='X' Field='Y'/>\n"
       "</BusinessObject>\n</KUV>\n");
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) +
                                     "tabledef C>T\n"
                                     "tabledef Late>\n"
                                     "tabledef T>\n"
                                     "fielddef T/A=ft/double\n"
                                     "fielddef T/B=s/int\n"
                                     "fielddef X/Y=/\n"
                                     "table T\n row\n  A=1\n");
}

TEST_F(Reader, DefinitionWithUnclosedKeyGetsAnEmptyText) {
  Read(std::string(kProlog) + kHeader + "<TableDef Table='T' Parent='P>\n</BusinessObject>\n");
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) + "tabledef T>\n");
}

TEST_F(Reader, ContentBeforeTheFirstBusinessObjectIsDropped) {
  const std::string object = std::string(kHeader) + "<T>\n<A>1</A>\n</T>\n</BusinessObject>\n";
  const std::string read = std::string(kHeaderLine) + "table T\n row\n  A=1\n";
  // Definitions with no object to take them.
  Read(std::string(kProlog) + "<FieldDef Table='L' Field='F'/>\n<!-- c -->\n" + object);
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(StorePicture(store), read);

  // A data description leaves the reading inside an object, so the header
  // that follows is taken for a table with no object to hold it, and so is
  // everything up to a closing tag outside any table.
  CObjectStore lost;
  CErrorInfo lostError;
  TrickleInput lostInput(std::string(kProlog) +
                         "<DataDescription>\n<TableDef Table='L'/>\n<Odd>\n</DataDescription>\n" +
                         object + object);
  ReadDocument(lost, lostError, lostInput);
  EXPECT_EQ(lostError.code, 0);
  EXPECT_EQ(StorePicture(lost), read);
}

TEST_F(Reader, StrayTagInsideTheDataDescriptionIsDropped) {
  Read(std::string(kProlog) + kHeader +
       "<DataDescription>\n<Odd>\n<TableDef Table='T'/>\n</DataDescription>\n"
       "<T>\n<A>1</A>\n</T>\n</BusinessObject>\n</KUV>\n");
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) + "tabledef T>\ntable T\n row\n  A=1\n");
}

// ---- Tables and rows ----------------------------------------------------------

TEST_F(Reader, ReadsTablesRowsAndNestedTables) {
  EXPECT_EQ(ContentOf("<T>\n<A>1</A>\n<B>2</B>\n<C>\n<X>9</X>\n</C>\n<A>3</A>\n<B>4</B>\n</T>\n"),
            "table T\n"
            " row\n  A=1\n  B=2\n  child C\n"
            " row\n  A=3\n  B=4\n"
            "  table C\n   row\n    X=9\n");
}

TEST_F(Reader, FirstFieldOfTheFirstRowStartsEveryRow) {
  EXPECT_EQ(ContentOf("<T>\n<A>1</A>\n<B>2</B>\n<B>3</B>\n<A>4</A>\n<A>5</A>\n</T>\n"),
            "table T\n row\n  A=1\n  B=2\n  B=3\n row\n  A=4\n row\n  A=5\n");
}

TEST_F(Reader, TablesOfTheTopLevelIncludingEmptyOnes) {
  EXPECT_EQ(ContentOf("<T>\n</T>\n<U>\n<A>1</A>\n</U>\n"), "table T\ntable U\n row\n  A=1\n");
}

TEST_F(Reader, EmptyNestedTableComesBackAsAFieldHoldingTheNewline) {
  EXPECT_EQ(ContentOf("<T>\n<A>1</A>\n<C>\n</C>\n</T>\n"), "table T\n row\n  A=1\n  C=\n\n");
}

TEST_F(Reader, RowsOfNestedTablesAloneMergeAndTheNextValueJoinsThem) {
  // The first row holds no value to delimit rows until A joins it.
  EXPECT_EQ(ContentOf("<T>\n<C>\n<X>1</X>\n</C>\n<C>\n<X>2</X>\n</C>\n<A>5</A>\n<A>6</A>\n</T>\n"),
            "table T\n row\n  A=5\n  child C\n  child C\n row\n  A=6\n"
            "  table C\n   row\n    X=1\n"
            "  table C\n   row\n    X=2\n");
}

TEST_F(Reader, FirstItemInsideANestedTableIsAlwaysAField) {
  // D is not recognised as a table: its field X is read as a field of C,
  // and D's closing tag adds nothing (no field named after a closing tag).
  EXPECT_EQ(ContentOf("<T>\n<A>1</A>\n<C>\n<D>\n<X>9</X>\n</D>\n</C>\n</T>\n"),
            "table T\n row\n  A=1\n  child C\n"
            "  table C\n   row\n    X=9\n");
}

TEST_F(Reader, ValuesAreKeptExactly) {
  EXPECT_EQ(ContentOf("<T>\n<A></A>\n<B> \t two\nlines </B>\n<C>a>b&amp;'\"</C>\n</T>\n"),
            "table T\n row\n  A=\n  B= \t two\nlines \n  C=a>b&amp;'\"\n");
}

TEST_F(Reader, FieldTagWithMoreThanItsNameStoresNoValue) {
  EXPECT_EQ(ContentOf("<T>\n<A>1</A>\n<B x='1'>2</B>\n</T>\n"), "table T\n row\n  A=1\n");
  EXPECT_EQ(ContentOf("<T>\n<A >1</A>\n</T>\n"), "table T\n");
}

TEST_F(Reader, CommentsAndInstructionsChangeNothing) {
  EXPECT_EQ(ContentOf("<!-- before -->\n<T>\n<!-- c -->\n<A>1<!-- inside -->dropped</A>\n"
                      "<?pi x?>\n<B>2</B>\n</T>\n<!-- after -->\n"),
            "table T\n row\n  A=1\n  B=2\n");
}

TEST_F(Reader, CommentsBetweenBusinessObjectsChangeNothing) {
  Read(std::string(kProlog) + "<!-- first -->\n" + kHeader + "</BusinessObject>\n<!-- c -->x\n" +
       "<?pi?>\n" + kHeader + "</BusinessObject>\n</KUV>\n");
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(StorePicture(store), std::string(kHeaderLine) + kHeaderLine);
}

// ---- Line ends ----------------------------------------------------------------

// Whole value lines are read in one go when they lie in one block, and tag
// by tag otherwise; lines that only look like plain values must come out
// the same either way (ContentOf reads each content both ways).
TEST_F(Reader, LinesThatLookLikeValuesReadTheSameInOneGoAndTagByTag) {
  const char* const contents[] = {
      // A field named like its table closes the table.
      "<T>\n<a>1</a>\n<T>2</T>\n<a>3</a>\n</T>\n",
      // A closing tag of another name, a comment, the data description's
      // name and a definition keyword between values.
      "<T>\n<a>1</a>\n<b>2</c>\n<!-- x -->\n<a>3</a>\n<DataDescription>4</DataDescription>\n"
      "<xFieldDef>5</xFieldDef>\n<a>6</a>\n</T>\n",
      // An empty name, a value with a CR LF, and a nested table whose first
      // item is a value line.
      "<T>\n<a>1</a>\n<></>\n<b>x\r\ny</b>\n<C>\n<c>7</c>\n<c>8</c>\n</C>\n<a>9</a>\n</T>\n",
      // Text between a value and the next tag, and a value that runs to the
      // end of the table's last line.
      "<T>\n<a>1</a> trailing\n<a>2</a></T>\n",
  };
  for (const char* content : contents) {
    SCOPED_TRACE(content);
    EXPECT_NE(ContentOf(content), "");
  }
}

// A file cut at a line end reads without error; only the closing root tag
// tells a whole document from it.
TEST_F(Reader, TellsAWholeDocumentFromOneCutAtALineEnd) {
  const std::string whole = Document("<T>\n<a>1</a>\n<a>2</a>\n</T>\n");
  for (std::size_t pieceSize : {std::size_t{1} << 20, std::size_t{1}}) {
    CObjectStore read;
    CErrorInfo readError;
    TrickleInput wholeInput(whole, pieceSize);
    ReadDocument(read, readError, wholeInput);
    EXPECT_EQ(readError.code, kNoError);
    EXPECT_TRUE(read.rootClosed);

    for (const std::string& cut :
         {whole.substr(0, whole.find("<a>2")), whole.substr(0, whole.find("</BusinessObject>")),
          whole.substr(0, whole.find("</KUV>"))}) {
      CObjectStore partial;
      CErrorInfo partialError;
      TrickleInput cutInput(cut, pieceSize);
      ReadDocument(partial, partialError, cutInput);
      EXPECT_EQ(partialError.code, kNoError) << cut;
      EXPECT_FALSE(partial.rootClosed) << cut;
    }
  }
}

TEST_F(Reader, CarriageReturnLineFeedReadsAsNewlineAtAnyBlockBoundary) {
  std::string lf = Document("<T>\n<A>1</A>\n<B>x\ny</B>\n<C>\n</C>\n<D>cr\rkept</D>\n</T>\n");
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string expected =
      std::string(kHeaderLine) + "table T\n row\n  A=1\n  B=x\ny\n  C=\n\n  D=cr\rkept\n";
  for (std::size_t piece : {1u, 2u, 3u, 5u, 4096u}) {
    CObjectStore read;
    CErrorInfo readError;
    TrickleInput input(crlf, piece);
    ReadDocument(read, readError, input);
    EXPECT_EQ(readError.code, 0) << piece;
    EXPECT_EQ(read.version, "2.0'");
    EXPECT_EQ(StorePicture(read), expected) << piece;
  }
}

// ---- Depth --------------------------------------------------------------------

TEST_F(Reader, ReadsAndFreesAHundredThousandNestedTables) {
  constexpr int kDepth = 100000;
  std::string content;
  for (int i = 0; i < kDepth; ++i) content += "<T>\n<F>v</F>\n";
  for (int i = 0; i < kDepth; ++i) content += "</T>\n";
  Read(Document(content));
  ASSERT_EQ(error.code, 0);
  int depth = 0;
  const CTableNode* table = store.GetAt(0)->GetTable(0);
  while (table != nullptr) {
    ++depth;
    ASSERT_EQ(table->GetRowCount(), 1);
    const CRowNode* row = table->GetRow(0);
    ASSERT_EQ(row->GetValueCount(), 1);
    EXPECT_EQ(row->FieldOf(*row->GetValue(0)), "F");
    table = row->GetChildTable(0);
  }
  EXPECT_EQ(depth, kDepth);
}

}  // namespace
}  // namespace kuv::io
