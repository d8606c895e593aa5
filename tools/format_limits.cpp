#include "format_limits.h"

namespace kuv::tool {

namespace {

bool Has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A zero byte would end the text when it is handed to the library.
const char* ProblemWithAnyText(std::string_view text) {
  return Has(text, std::string_view("\0", 1)) ? "it holds a zero character" : nullptr;
}

// A tag that holds either word is read as a definition.
const char* ProblemInsideTag(std::string_view text) {
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

}  // namespace

const char* ProblemWithValue(std::string_view text) {
  if (const char* problem = ProblemWithAnyText(text)) return problem;
  if (Has(text, "<")) return "it holds '<', which starts a tag";
  return nullptr;
}

const char* ProblemWithName(std::string_view text) {
  if (text.empty()) return "it is empty";
  if (const char* problem = ProblemWithAnyText(text)) return problem;
  if (const char* problem = ProblemInsideTag(text)) return problem;
  if (Has(text, "<")) return "it holds '<', which starts a tag";
  if (Has(text, "\t")) return "it holds a tab, which separates the names of a definition";
  if (text.front() == '/' || text.front() == '!' || text.front() == '?') {
    return "it begins with '/', '!' or '?', which mark closing tags and comments";
  }
  if (text == "DataDescription") return "it is the name of the definitions' element";
  return nullptr;
}

const char* ProblemWithAttribute(std::string_view text) {
  if (const char* problem = ProblemWithAnyText(text)) return problem;
  return ProblemInsideTag(text);
}

}  // namespace kuv::tool
