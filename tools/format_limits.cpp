#include "format_limits.h"

#include "kuv/document.hpp"

namespace kuv::tool {

namespace {

bool Has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A zero byte would end the text where it is handed on as a C string.
const char* ProblemWithZero(std::string_view text) {
  return Has(text, std::string_view("\0", 1)) ? "it holds a zero character" : nullptr;
}

}  // namespace

// The library's own rules, so that the tool refuses exactly what a
// document cannot hold.
const char* ProblemStoringValue(std::string_view text) { return WhyNotStorableValue(text); }
const char* ProblemStoringAttribute(std::string_view text) { return WhyNotStorableAttribute(text); }
const char* ProblemStoringName(std::string_view text) { return WhyNotStorableName(text); }

const char* ProblemStoringKeyPart(std::string_view text) { return WhyNotStorableUnit(text); }

const char* ProblemWithValue(std::string_view text) {
  if (const char* problem = ProblemWithZero(text)) return problem;
  return ProblemStoringValue(text);
}

const char* ProblemWithName(std::string_view text) {
  if (text.empty()) return "it is empty";
  if (const char* problem = ProblemWithZero(text)) return problem;
  return ProblemStoringName(text);
}

const char* ProblemWithAttribute(std::string_view text) {
  if (const char* problem = ProblemWithZero(text)) return problem;
  return ProblemStoringAttribute(text);
}

}  // namespace kuv::tool
