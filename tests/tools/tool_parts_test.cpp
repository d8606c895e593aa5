// The tool's parts that carry logic of their own: text encoding, the walk
// over a document's tables and its comparison, CSV quoting, the limits of
// what a document can hold, the batch's output names and its ordered jobs.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "content_compare.h"
#include "content_walk.h"
#include "csv_writer.h"
#include "format_limits.h"
#include "kuv/document.hpp"
#include "kuv/ordered_jobs.hpp"
#include "kuv/text.hpp"

namespace kuv::tool {
namespace {

TEST(TextEncoding, EverySingleByteSurvivesARoundTrip) {
  for (Encoding encoding : {Encoding::kCp1252, Encoding::kLatin1}) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    const std::optional<std::string> utf8 = DecodeText(all, encoding);
    ASSERT_TRUE(utf8);
    EXPECT_EQ(EncodeText(*utf8, encoding), all);
  }
}

TEST(TextEncoding, Cp1252HighBytesAreItsOwnCharacters) {
  EXPECT_EQ(DecodeText("\x80", Encoding::kCp1252), "\u20ac");
  EXPECT_EQ(DecodeText("\x9f", Encoding::kCp1252), "\u0178");
  EXPECT_EQ(DecodeText("\x81", Encoding::kCp1252), "\u0081");  // unassigned, kept by number
  EXPECT_EQ(DecodeText("\x80", Encoding::kLatin1), "\u0080");
  EXPECT_EQ(DecodeText("\xe6", Encoding::kLatin1), "\u00e6");
}

TEST(TextEncoding, CharactersOutsideTheEncodingAreRefusedAndNamed) {
  EXPECT_FALSE(EncodeText("\u03a9", Encoding::kCp1252));
  EXPECT_EQ(FirstUnencodable("ok \u03a9", Encoding::kCp1252), "'\u03a9' (U+03A9)");
  EXPECT_FALSE(EncodeText("\u20ac", Encoding::kLatin1));
  EXPECT_EQ(EncodeText("\u20ac", Encoding::kCp1252), "\x80");
  // U+0080 has no byte in code page 1252: 0x80 is the euro sign there.
  EXPECT_FALSE(EncodeText("\u0080", Encoding::kCp1252));
  EXPECT_EQ(EncodeText("\U0001F600", Encoding::kUtf8), "\U0001F600");
}

TEST(TextEncoding, MalformedUtf8IsRefusedOrReplacedForDisplay) {
  for (const char* bad : {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
    EXPECT_FALSE(DecodeText(bad, Encoding::kUtf8)) << bad;
    EXPECT_FALSE(EncodeText(bad, Encoding::kCp1252)) << bad;
  }
  EXPECT_EQ(DecodeForDisplay("a\xff"
                             "b",
                             Encoding::kUtf8),
            "a\ufffd"
            "b");
  EXPECT_EQ(EncodingNamed("utf-8"), Encoding::kUtf8);
  EXPECT_FALSE(EncodingNamed("ascii"));
}

// A document built through the API, for the parts that read one.
class SampleObject {
 public:
  SampleObject() : object_(document_.CreateObject("X", "", "", "")) {}
  BusinessObject& object() { return object_; }

 private:
  Document document_;
  BusinessObject object_;
};

// Content as a compact text: "[T" opens table T, "|" begins a row, "f=v" is
// a value, "]" closes the table.
std::string Outline(const BusinessObject& object) {
  std::string text;
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        text += "[" + std::string(item.name);
        break;
      case ContentStep::kBeginRow:
        text += "|";
        break;
      case ContentStep::kValue:
        text += " " + std::string(item.name) + "=" + std::string(item.text);
        break;
      case ContentStep::kCloseTable:
        text += "]";
        break;
    }
  }
  return text;
}

TEST(ContentWalk, GivesRowsValuesThenChildTablesAndEmptyNodes) {
  SampleObject sample;
  Table a = sample.object().AddTable("A");
  Row first = a.AddRow();
  first.AddValue("a", "1");
  first.AddChildTable("B").AddRow().AddValue("b", "2");
  first.AddChildTable("C");
  a.AddRow();
  sample.object().AddTable("Z").AddRow().AddValue("z", "3");
  EXPECT_EQ(Outline(sample.object()), "[A| a=1[B| b=2][C]|][Z| z=3]");
}

TEST(ContentWalk, DeepNestingNeedsNoRecursion) {
  SampleObject sample;
  const int depth = 100000;
  Row row = sample.object().AddTable("T").AddRow();
  for (int i = 1; i < depth; ++i) row = row.AddChildTable("T").AddRow();
  row.AddValue("f", "v");
  ContentWalk walk(sample.object());
  ContentEvent item;
  std::size_t steps = 0;
  std::string_view innermost;
  while (walk.Next(&item)) {
    ++steps;
    if (item.step == ContentStep::kValue) innermost = walk.table();
  }
  EXPECT_EQ(steps, static_cast<std::size_t>(3 * depth + 1));
  EXPECT_EQ(innermost, "T");
}

TEST(ContentCompare, NamesTheTableWhereTheRunsPart) {
  SampleObject sample;
  Table a = sample.object().AddTable("A");
  a.AddRow().AddValue("a", "1");
  a.AddRow().AddValue("a", "2");
  const std::vector<ContentItem> oneRow = {{ContentStep::kOpenTable, "A", ""},
                                           {ContentStep::kBeginRow, "", ""},
                                           {ContentStep::kValue, "a", "1"},
                                           {ContentStep::kValue, "a", "2"},
                                           {ContentStep::kCloseTable, "", ""}};
  ContentWalk walk(sample.object());
  EXPECT_EQ(FirstDifference(StepsOf(oneRow), StepsOf(walk), Rows::kIgnored), std::nullopt);
  ContentWalk again(sample.object());
  EXPECT_EQ(FirstDifference(StepsOf(oneRow), StepsOf(again), Rows::kCompared), "A");
  const std::vector<ContentItem> otherTable = {{ContentStep::kOpenTable, "B", ""}};
  ContentWalk third(sample.object());
  EXPECT_EQ(FirstDifference(StepsOf(otherTable), StepsOf(third), Rows::kIgnored), "B");
}

TEST(CsvWriter, QuotesAsRfc4180AndGivesRepeatedFieldsTheirOwnColumn) {
  SampleObject sample;
  BusinessObject& object = sample.object();
  object.SetFieldDefinition("T", "depth", "m", "float");
  Table table = object.AddTable("T");
  Row first = table.AddRow();
  first.AddValue("name", "a, \"b\"");
  first.AddValue("depth", "1");
  Row second = table.AddRow();
  second.AddValue("name", "two\nlines");
  second.AddValue("depth", "2");
  second.AddValue("depth", "again");
  std::ostringstream out;
  WriteCsvTable(out, object, "T", Encoding::kCp1252);
  EXPECT_EQ(out.str(),
            "row_id,name,depth,depth\r\n"
            "0,\"a, \"\"b\"\"\",1,\r\n"
            "1,\"two\nlines\",2,again\r\n");
  EXPECT_THROW(WriteCsvTable(out, object, "Missing", Encoding::kCp1252), std::exception);
}

TEST(FormatLimits, RefusesTextThatWouldReadBackDifferently) {
  EXPECT_EQ(ProblemWithValue("a > b & 'c' \"d\""), nullptr);
  EXPECT_NE(ProblemWithValue("a < b"), nullptr);
  EXPECT_NE(ProblemWithValue(std::string("a\0b", 3)), nullptr);
  EXPECT_EQ(ProblemWithName("Casing"), nullptr);
  for (const char* name :
       {"", "a>b", "a<b", "/x", "!x", "?x", "DataDescription", "MyTableDef", "it's", "a\tb"}) {
    EXPECT_NE(ProblemWithName(name), nullptr) << name;
  }
  EXPECT_EQ(ProblemWithAttribute("J. Smith & Sons \"north\""), nullptr);
  EXPECT_NE(ProblemWithAttribute("O'Brien"), nullptr);
  EXPECT_NE(ProblemWithAttribute("FieldDef"), nullptr);
  EXPECT_NE(ProblemWithAttribute("Type="), nullptr);
  EXPECT_NE(ProblemWithName("Unit="), nullptr);
}

// Messages come from these rules, the refusals from the document API:
// they must not drift apart.
TEST(FormatLimits, ExactRulesAreThoseTheDocumentApiApplies) {
  const auto refused = [](const auto& action) {
    try {
      action();
    } catch (const std::invalid_argument&) {
      return true;
    }
    return false;
  };
  const std::vector<std::string> texts = {"",
                                          "Casing",
                                          "a b",
                                          "a\tb",
                                          "two\nlines",
                                          "a<b",
                                          "a>b",
                                          "it's",
                                          "/x",
                                          "!x",
                                          "?x",
                                          "x/",
                                          "DataDescription",
                                          "DataDescriptions",
                                          "MyFieldDef",
                                          "TableDefs",
                                          "Unit=",
                                          "=x",
                                          "\x80\xff",
                                          std::string("a\0b", 3)};
  for (const std::string& text : texts) {
    SampleObject sample;
    BusinessObject& object = sample.object();
    Row row = object.AddTable("T").AddRow();
    EXPECT_EQ(ProblemStoringName(text) != nullptr, refused([&] { row.AddValue(text, ""); }))
        << text;
    EXPECT_EQ(ProblemStoringName(text) != nullptr, refused([&] { row.AddChildTable(text); }))
        << text;
    EXPECT_EQ(ProblemStoringValue(text) != nullptr, refused([&] { row.AddValue("f", text); }))
        << text;
    EXPECT_EQ(ProblemStoringAttribute(text) != nullptr, refused([&] { object.set_date(text); }))
        << text;
    EXPECT_EQ(ProblemStoringAttribute(text) != nullptr,
              refused([&] { object.SetTableDefinition("T", text); }))
        << text;
    EXPECT_EQ(ProblemStoringAttribute(text) != nullptr,
              refused([&] { object.SetFieldDefinition("T", "f", "", text); }))
        << text;
  }
  // A definition splits its key and its text at the first tab.
  EXPECT_NE(ProblemStoringKeyPart("a\tb"), nullptr);
  EXPECT_EQ(ProblemStoringAttribute("a\tb"), nullptr);
}

TEST(OrderedJobs, ReportsInInputOrderWhateverOrderTheyFinishIn) {
  const std::size_t count = 8;
  std::vector<std::size_t> results(count);
  for (unsigned jobs : {1u, 3u, 16u}) {
    std::vector<std::string> reports;
    RunOrderedJobs(
        count, jobs,
        [&](std::size_t i) {
          // Later inputs finish first.
          std::this_thread::sleep_for(std::chrono::milliseconds(3 * (count - i)));
          if (i == 2) throw std::runtime_error("bad input");
          results[i] = i * i;
        },
        [&](std::size_t i, const std::exception_ptr& failure) {
          reports.push_back(failure ? "failed" : std::to_string(results[i]));
        });
    EXPECT_EQ(reports, (std::vector<std::string>{"0", "1", "failed", "9", "16", "25", "36", "49"}))
        << jobs << " jobs";
  }
}

TEST(OrderedJobs, AFailedReportStartsNoFurtherJob) {
  std::atomic<int> started{0};
  EXPECT_THROW(RunOrderedJobs(
                   1000, 2,
                   [&](std::size_t) {
                     ++started;
                     std::this_thread::sleep_for(std::chrono::milliseconds(1));
                   },
                   [](std::size_t, const std::exception_ptr&) {
                     throw std::runtime_error("cannot report");
                   }),
               std::runtime_error);
  EXPECT_LT(started.load(), 1000);
}

TEST(OrderedJobs, NoMoreThanAheadInputsAreHeldAtOnce) {
  std::atomic<int> held{0};
  std::atomic<int> most{0};
  std::vector<std::size_t> order;
  RunOrderedJobs(
      40, 4, 3,
      [&](std::size_t) {
        const int now = ++held;
        for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
        }
      },
      [&](std::size_t i, const std::exception_ptr&) {
        // Reporting is slower than working.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        order.push_back(i);
        --held;
      });
  EXPECT_LE(most.load(), 3);
  EXPECT_EQ(order.size(), 40u);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));

  // Jobs that wait for reports are let go when a report fails.
  EXPECT_THROW(RunOrderedJobs(
                   100, 3, 2, [](std::size_t) {},
                   [](std::size_t i, const std::exception_ptr&) {
                     if (i == 5) throw std::runtime_error("cannot report");
                   }),
               std::runtime_error);
}

}  // namespace
}  // namespace kuv::tool
