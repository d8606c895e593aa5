// kuv check: reads each file and reports one line per file.
#include <exception>
#include <iostream>
#include <string>

#include "commands.h"
#include "content_walk.h"
#include "kuv/document.hpp"
#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

std::string Counts(const Document& document) {
  long long values = 0;
  for (const BusinessObject object : document.objects()) {
    ContentWalk walk(object);
    ContentEvent item;
    while (walk.Next(&item)) values += item.step == ContentStep::kValue;
  }
  const std::size_t objects = document.size();
  return "ok, " + std::to_string(objects) + (objects == 1 ? " object, " : " objects, ") +
         std::to_string(values) + (values == 1 ? " value" : " values");
}

}  // namespace

int RunCheck(const CheckOptions& options) {
  EnsureTemplateRegistered(std::cerr);
  bool allRead = true;
  for (const std::string& file : options.files) {
    std::string result;
    try {
      result = Counts(Document::Open(file));
    } catch (const std::exception& error) {
      allRead = false;
      result = error.what();
    }
    std::cout << file << ": " << result << std::endl;
  }
  return allRead ? kExitSuccess : kExitDataError;
}

}  // namespace kuv::tool
