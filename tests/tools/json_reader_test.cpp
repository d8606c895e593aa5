// The streaming JSON reader of import: JSON as the standard allows it
// (escapes, any member order, any block boundary), refused when it is not
// JSON, and objects handed out one at a time in document order.
#include "json_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "counting_input.h"
#include "json_pull_parser.h"
#include "object_pipeline.h"
#include "tool_error.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;
using Event = JsonPullParser::Event;

// Every event of text, strings and numbers with their text.
std::vector<std::string> Events(const std::string& text) {
  std::istringstream in(text);
  JsonPullParser parser(in);
  std::vector<std::string> events;
  for (Event event = parser.Next(); event != Event::kEnd; event = parser.Next()) {
    switch (event) {
      case Event::kObjectStart:
        events.push_back("{");
        break;
      case Event::kObjectEnd:
        events.push_back("}");
        break;
      case Event::kArrayStart:
        events.push_back("[");
        break;
      case Event::kArrayEnd:
        events.push_back("]");
        break;
      case Event::kKey:
        events.push_back("key " + parser.text());
        break;
      case Event::kString:
        events.push_back("string " + parser.text());
        break;
      case Event::kNumber:
        events.push_back("number " + parser.text());
        break;
      case Event::kTrue:
        events.push_back("true");
        break;
      case Event::kFalse:
        events.push_back("false");
        break;
      case Event::kNull:
        events.push_back("null");
        break;
      case Event::kEnd:
        break;
    }
  }
  return events;
}

std::string ErrorOf(const std::string& text) {
  try {
    Events(text);
  } catch (const ToolError& error) {
    return error.what();
  }
  return "";
}

TEST(JsonPullParser, GivesEveryEventWithDecodedText) {
  EXPECT_EQ(
      Events(R"( {"a": [1, -2.5e+3, true, false, null, {}], "b\u00e9": "x\"\\\/\b\f\n\r\t"} )"),
      (std::vector<std::string>{"{", "key a", "[", "number 1", "number -2.5e+3", "true", "false",
                                "null", "{", "}", "]", "key b\xc3\xa9", "string x\"\\/\b\f\n\r\t",
                                "}"}));
  // A character beyond the first 65536 comes as a pair of escapes.
  EXPECT_EQ(Events(R"("\ud83d\ude00 \u20ac")"),
            (std::vector<std::string>{"string \xf0\x9f\x98\x80 \xe2\x82\xac"}));
}

TEST(JsonPullParser, RefusesWhatIsNotJson) {
  for (const char* text : {"",
                           "{",
                           "[1,]",
                           "[1 2]",
                           "{\"a\" 1}",
                           "{\"a\": 1,}",
                           "{1: 2}",
                           "[01]",
                           "[1.]",
                           "[-]",
                           "[tru]",
                           "\"open",
                           "\"\\x\"",
                           "\"\\ud800\"",
                           "\"\\udc00\"",
                           "\"\\u12g4\"",
                           "\"tab\there\"",
                           "[] []",
                           "{} x",
                           "]"}) {
    EXPECT_THAT(ErrorOf(text), HasSubstr("invalid JSON: ")) << text;
  }
  EXPECT_EQ(ErrorOf("[1, 2"), "invalid JSON: expected ',' or ']' (at byte 5)");
}

TEST(JsonPullParser, StringsAndNumbersCrossBlockBoundaries) {
  // Blocks are 1 MiB: strings of about that size start and end anywhere.
  const std::string big(std::size_t{1} << 20, 'v');
  const std::string text = "[\"" + big + "\", \"a\\u00e9" + big + "\", 12345678]";
  const std::vector<std::string> events = Events(text);
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[1], "string " + big);
  EXPECT_EQ(events[2], "string a\xc3\xa9" + big);
  EXPECT_EQ(events[3], "number 12345678");
}

TEST(JsonPullParser, NestingCostsNoCallStack) {
  const int depth = 1000000;
  const std::string text = std::string(depth, '[') + std::string(depth, ']');
  std::istringstream in(text);
  JsonPullParser parser(in);
  ASSERT_EQ(parser.Next(), Event::kArrayStart);
  parser.SkipValue();  // skips what the first array holds, to its end
  EXPECT_EQ(parser.Next(), Event::kArrayEnd);
  EXPECT_EQ(parser.Next(), Event::kEnd);
}

// The steps of an object's content in a line, for comparison.
std::string Steps(const ObjectContent& object) {
  std::string steps;
  for (const ContentItem& item : object.content) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        steps += "<" + item.name + ">";
        break;
      case ContentStep::kBeginRow:
        steps += "|";
        break;
      case ContentStep::kValue:
        steps += item.name + "=" + item.text + " ";
        break;
      case ContentStep::kCloseTable:
        steps += "</>";
        break;
    }
  }
  return steps;
}

std::vector<ObjectContent> ReadAll(const std::string& text, int* version = nullptr) {
  std::istringstream in(text);
  JsonObjectReader reader(in, Encoding::kCp1252);
  std::vector<ObjectContent> objects;
  while (std::optional<ObjectContent> object = reader.Next()) objects.push_back(*object);
  if (version != nullptr) *version = reader.formatVersion();
  return objects;
}

TEST(JsonObjectReader, MembersMayComeInAnyOrder) {
  // The version after the objects, a table's name after its rows, a row's
  // child tables before its values, members the format does not know.
  int version = 0;
  const std::vector<ObjectContent> objects = ReadAll(R"({"objects": [
      {"tables": [{"rows": [{"tables": [{"rows": [{"values": [{"value": "1", "field": "c"}]}],
                                         "name": "C"}],
                             "extra": [{"deep": [1, {"x": null}]}],
                             "values": [{"field": "a", "value": "x"}, {"field": "b", "value": "y"}]}],
                   "name": "A"}],
       "id": "First", "date": "20021001T14:05:00000"},
      {"id": "Second"}],
    "formatVersion": 2, "format": "kuv-json"})",
                                                     &version);
  EXPECT_EQ(version, 2);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].header.id, "First");
  EXPECT_EQ(objects[0].header.date, "20021001T14:05:00000");
  EXPECT_EQ(Steps(objects[0]), "<A>|a=x b=y <C>|c=1 </></>");
  EXPECT_EQ(objects[1].header.id, "Second");
  EXPECT_FALSE(objects[1].header.date.has_value());
  EXPECT_EQ(Steps(objects[1]), "");

  ReadAll(R"({"objects": []})", &version);
  EXPECT_EQ(version, 1);
}

TEST(JsonObjectReader, ObjectsComeOneAtATimeOnceTheVersionIsKnown) {
  // The second object is broken: the first is handed out before the reader
  // gets there.
  std::istringstream in(R"({"formatVersion": 2, "objects": [{"id": "A"}, {"id": 5}]})");
  JsonObjectReader reader(in, Encoding::kCp1252);
  ASSERT_TRUE(reader.Next().has_value());
  EXPECT_LT(reader.bytesRead(), 45u);
  try {
    reader.Next();
    FAIL() << "the second object is refused";
  } catch (const ToolError& error) {
    EXPECT_STREQ(error.what(), "JSON objects[1]: \"id\" must be a string");
  }
}

TEST(JsonObjectReader, NamesWhereTheShapeIsWrong) {
  const auto error = [](const std::string& text) {
    try {
      ReadAll(text);
    } catch (const ToolError& refused) {
      return std::string(refused.what());
    }
    return std::string();
  };
  EXPECT_EQ(error(R"({"objects": [{"id": "X", "tables": [{"name": "T", "rows": [{"tables": [
              {"name": "U", "rows": [{}, {"values": [{"field": "f"}]}]}]}]}]}]})"),
            "JSON objects[0].tables[0].rows[0].tables[0].rows[1].values[0]: lacks \"value\"");
  EXPECT_EQ(error(R"({"objects": [{"id": "X", "tables": [{"rows": []}]}]})"),
            "JSON objects[0].tables[0]: lacks \"name\"");
  EXPECT_EQ(error(R"({"objects": [{"id": "X", "definitions": {"fields": [{"table": "T"}]}}]})"),
            "JSON objects[0].definitions.fields[0]: lacks \"field\"");
  EXPECT_EQ(error(R"({"objects": [7]})"), "JSON objects[0]: must be an object");
  EXPECT_EQ(error(R"({"objects": {}})"), "JSON: the document lacks its \"objects\" array");
  EXPECT_EQ(error(R"({"objects": [], "objects": []})"), "JSON: \"objects\" is given twice");
  EXPECT_EQ(error(R"({"formatVersion": 3, "objects": []})"),
            "JSON: this tool reads \"formatVersion\" 1 to 2");
  EXPECT_EQ(error(R"({"objects": []} [])"),
            "invalid JSON: text follows the end of the document (at byte 16)");
}

std::string ManyObjects(int count, const std::string& last) {
  std::string text = R"({"formatVersion": 2, "objects": [)";
  for (int i = 0; i < count; ++i) text += R"({"id": "O)" + std::to_string(i) + R"("}, )";
  return text + last + "]}";
}

TEST(CountingInput, PassesTheBytesOnAndCountsThemAsTheyGo) {
  std::string bytes(200000, 'x');
  for (std::size_t i = 0; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(i % 256);
  std::istringstream source(bytes);
  std::vector<std::uint64_t> counts;
  CountingInput counted(source, [&](std::uint64_t total) { counts.push_back(total); });
  std::string got(bytes.size() + 1, '\0');
  counted.read(got.data(), static_cast<std::streamsize>(got.size()));
  got.resize(static_cast<std::size_t>(counted.gcount()));
  EXPECT_EQ(got, bytes);
  ASSERT_GE(counts.size(), 3u);  // block by block, not once at the end
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
  EXPECT_EQ(counts.back(), bytes.size());
}

TEST(ObjectPipeline, HandsOutObjectsInOrderThenWhatReadingThrew) {
  std::istringstream in(ManyObjects(50, R"({"id": 5})"));
  JsonObjectReader reader(in, Encoding::kCp1252);
  ObjectPipeline pipeline(reader);
  for (int i = 0; i < 50; ++i) {
    const std::optional<ReadObject> read = pipeline.Next();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->object.header.id, "O" + std::to_string(i));
    EXPECT_EQ(read->formatVersion, 2);
  }
  EXPECT_THROW(pipeline.Next(), ToolError);
}

TEST(ObjectPipeline, CanBeLeftBeforeTheEnd) {
  std::istringstream in(ManyObjects(10000, R"({"id": "last"})"));
  JsonObjectReader reader(in, Encoding::kCp1252);
  {
    ObjectPipeline pipeline(reader);
    ASSERT_TRUE(pipeline.Next().has_value());
  }  // stops the reading thread, which holds at most a few objects
  std::istringstream empty(R"({"objects": []})");
  JsonObjectReader none(empty, Encoding::kCp1252);
  ObjectPipeline pipeline(none);
  EXPECT_FALSE(pipeline.Next().has_value());
  EXPECT_FALSE(pipeline.Next().has_value());
}

}  // namespace
}  // namespace kuv::tool
