#include "format_limits.h"

namespace kuv::tool {

namespace {

bool Has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A zero byte would end the text where it is handed on as a C string.
const char* ProblemWithZero(std::string_view text) {
  return Has(text, std::string_view("\0", 1)) ? "it holds a zero character" : nullptr;
}

const char* ProblemWithTab(std::string_view text) {
  return Has(text, "\t") ? "it holds a tab, which separates the names of a definition" : nullptr;
}

}  // namespace

const char* ProblemStoringValue(std::string_view text) {
  return Has(text, "<") ? "it holds '<', which starts a tag" : nullptr;
}

// A tag that holds either word is read as a definition.
const char* ProblemStoringAttribute(std::string_view text) {
  if (Has(text, "'")) return "it holds an apostrophe, which ends an attribute";
  if (Has(text, ">")) return "it holds '>', which ends a tag";
  if (Has(text, "FieldDef") || Has(text, "TableDef")) {
    return "it holds 'FieldDef' or 'TableDef', which marks a definition";
  }
  // With the closing apostrophe it would spell the key of a later
  // attribute ("Type='").
  if (!text.empty() && text.back() == '=') return "it ends in '=', which would read as a key";
  return nullptr;
}

const char* ProblemStoringName(std::string_view text) {
  if (const char* problem = ProblemStoringAttribute(text)) return problem;
  if (Has(text, "<")) return "it holds '<', which starts a tag";
  if (!text.empty() && (text.front() == '/' || text.front() == '!' || text.front() == '?')) {
    return "it begins with '/', '!' or '?', which mark closing tags and comments";
  }
  if (text == "DataDescription") return "it is the name of the definitions' element";
  return nullptr;
}

const char* ProblemStoringKeyPart(std::string_view text) {
  if (const char* problem = ProblemStoringAttribute(text)) return problem;
  return ProblemWithTab(text);
}

const char* ProblemWithValue(std::string_view text) {
  if (const char* problem = ProblemWithZero(text)) return problem;
  return ProblemStoringValue(text);
}

const char* ProblemWithName(std::string_view text) {
  if (text.empty()) return "it is empty";
  if (const char* problem = ProblemWithZero(text)) return problem;
  if (const char* problem = ProblemStoringName(text)) return problem;
  return ProblemWithTab(text);
}

const char* ProblemWithAttribute(std::string_view text) {
  if (const char* problem = ProblemWithZero(text)) return problem;
  return ProblemStoringAttribute(text);
}

}  // namespace kuv::tool
