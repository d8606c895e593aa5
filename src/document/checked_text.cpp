#include "document/checked_text.h"

#include "io/storable_text.h"
#include "kuv/document.hpp"

namespace kuv::document {

void Refuse(const std::string& what, const char* why) { throw Refusal(what, why); }

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

namespace {

void RefuseText(const char* what, std::string_view text, const char* why) {
  if (why != nullptr)
    Refuse("the " + std::string(what) + " " + Quoted(text) + " cannot be stored", why);
}

}  // namespace

void RequireStorableAttribute(std::string_view text, const char* what) {
  RefuseText(what, text, io::WhyNotStorableAttribute(text));
}

void RequireStorableUnit(std::string_view text) {
  RefuseText("unit", text, io::WhyNotStorableUnit(text));
}

void RequireStorableName(std::string_view text, const char* what) {
  RefuseText(what, text, io::WhyNotStorableName(text));
}

void RequireStorableValue(std::string_view text) {
  RefuseText("value", text, io::WhyNotStorableValue(text));
}

}  // namespace kuv::document
