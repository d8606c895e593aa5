// kuv check: reads each file and reports one line per file, in the order
// given, however many are read at once.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "content_walk.h"
#include "input_source.h"
#include "kuv/document.hpp"
#include "ordered_jobs.h"
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

std::string Problem(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "the file could not be read";
  }
}

}  // namespace

int RunCheck(const CheckOptions& options) {
  EnsureTemplateRegistered(std::cerr);
  const std::vector<std::string>& files = options.files;
  std::vector<std::string> results(files.size());
  bool allRead = true;
  RunOrderedJobs(
      files.size(), options.jobs,
      [&](std::size_t i) { results[i] = Counts(OpenInputDocument(files[i])); },
      [&](std::size_t i, const std::exception_ptr& failure) {
        if (failure) {
          allRead = false;
          results[i] = Problem(failure);
        }
        std::cout << files[i] << ": " << results[i] << std::endl;
        results[i].clear();
      });
  return allRead ? kExitSuccess : kExitDataError;
}

}  // namespace kuv::tool
