// kuv check: reads each file and reports one line per file.
#include <iostream>
#include <string>

#include "commands.h"
#include "content_reader.h"
#include "session.h"
#include "tool_error.h"

namespace kuv::tool {

int RunCheck(const CheckOptions& options) {
  Session session(std::cerr);
  bool allRead = true;
  for (const std::string& file : options.files) {
    const std::string problem = session.TryOpen(file);
    if (!problem.empty()) {
      allRead = false;
      std::cout << file << ": " << problem << std::endl;
      continue;
    }
    long long objects = 0;
    long long values = 0;
    ObjectHeader header;
    while (ReadNextHeader(session.kuv(), &header)) {
      ++objects;
      values += CountValuesOfCurrentObject(session.kuv());
    }
    std::cout << file << ": ok, " << objects << (objects == 1 ? " object, " : " objects, ")
              << values << (values == 1 ? " value" : " values") << std::endl;
  }
  return allRead ? kExitSuccess : kExitDataError;
}

}  // namespace kuv::tool
