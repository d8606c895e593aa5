// The grammar of value texts, against the shared table of cases that the
// Python package's typed frames are tested against too.
#include "kuv/values.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace kuv {
namespace {

struct Case {
  std::string kind, text, reading, value;
  int line = 0;
};

std::string Unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char code = text[++i];
    out += code == 't' ? '\t' : code == 'n' ? '\n' : code == 'r' ? '\r' : code == 's' ? ' ' : code;
  }
  return out;
}

std::vector<Case> Cases() {
  std::ifstream in(KUV_SOURCE_DIR "/tests/data/value_cases.tsv");
  std::vector<Case> cases;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> columns(1);
    for (const char c : line) {
      if (c == '\t') {
        columns.emplace_back();
      } else {
        columns.back() += c;
      }
    }
    columns.resize(4);
    cases.push_back({columns[0], Unescaped(columns[1]), columns[2], columns[3], number});
  }
  return cases;
}

ValueKind KindNamed(const std::string& name) {
  for (ValueKind kind : {ValueKind::kText, ValueKind::kFloat, ValueKind::kInteger,
                         ValueKind::kBoolean, ValueKind::kDate}) {
    if (name == NameOf(kind)) return kind;
  }
  ADD_FAILURE() << "no kind " << name;
  return ValueKind::kText;
}

const char* ReadingName(ValueReading reading) {
  switch (reading) {
    case ValueReading::kValue:
      return "value";
    case ValueReading::kMissing:
      return "missing";
    case ValueReading::kOutOfRange:
      return "out-of-range";
    case ValueReading::kNotOfKind:
      break;
  }
  return "not-of-kind";
}

// The value as the table writes it.
std::string Shown(const TypedValue& value, ValueKind kind) {
  char text[64] = "";
  switch (kind) {
    case ValueKind::kFloat:
      if (std::isnan(value.number)) return "nan";
      if (std::isinf(value.number)) return value.number < 0 ? "-inf" : "inf";
      std::snprintf(text, sizeof text, "%.17g", value.number);
      return std::string(text).find_first_of(".e") == std::string::npos ? std::string(text) + ".0"
                                                                        : text;
    case ValueKind::kInteger:
      return std::to_string(value.integer);
    case ValueKind::kBoolean:
      return value.boolean ? "true" : "false";
    case ValueKind::kDate:
      std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%09d", value.date.year,
                    value.date.month, value.date.day, value.date.hour, value.date.minute,
                    value.date.second, value.date.nanosecond);
      return text;
    case ValueKind::kText:
      break;
  }
  return "";
}

TEST(Values, EveryTextOfTheSharedTableReadsAsItSays) {
  const std::vector<Case> cases = Cases();
  ASSERT_GT(cases.size(), 50u);
  for (const Case& c : cases) {
    const ValueKind kind = KindNamed(c.kind);
    const TypedValue value = ReadValue(c.text, kind);
    EXPECT_EQ(ReadingName(value.reading), c.reading) << "line " << c.line << ": " << c.text;
    if (value.reading == ValueReading::kValue && !c.value.empty()) {
      // Floats are compared as numbers: "%.17g" and Python's repr differ.
      if (kind == ValueKind::kFloat && !std::isnan(value.number) && !std::isinf(value.number)) {
        EXPECT_EQ(value.number, std::stod(c.value)) << "line " << c.line;
      } else {
        EXPECT_EQ(Shown(value, kind), c.value) << "line " << c.line;
      }
    }
  }
}

TEST(Values, DeclaredTypesNameTheirKind) {
  EXPECT_EQ(KindOfType(" Float "), ValueKind::kFloat);
  EXPECT_EQ(KindOfType("INT64"), ValueKind::kInteger);
  EXPECT_EQ(KindOfType("logical"), ValueKind::kBoolean);
  EXPECT_EQ(KindOfType("timestamp"), ValueKind::kDate);
  EXPECT_EQ(KindOfType("string"), ValueKind::kText);
  EXPECT_EQ(KindOfType(""), ValueKind::kText);
}

}  // namespace
}  // namespace kuv
