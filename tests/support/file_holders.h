// Whether anyone holds a file open, asked the only way the platform can
// answer it: by opening the file exclusively for a moment. While that
// probe holds the file, every other opener is refused, so it may only be
// pointed at a test's own scratch files: a probe of a file that test
// processes share (the examples) makes the tests running beside it fail.
#ifndef KUV_TESTS_SUPPORT_FILE_HOLDERS_H_
#define KUV_TESTS_SUPPORT_FILE_HOLDERS_H_

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace kuv::testing {

inline bool NobodyHolds(const std::string& path) {
#ifdef KUV_SOURCE_DIR
  if (path.rfind(KUV_SOURCE_DIR, 0) == 0) {
    ADD_FAILURE() << path << " is shared by every test process; probe a copy of it in the "
                  << "test's scratch folder";
    return false;
  }
#endif
  return platform::DefaultPlatform().OpenInput(path, platform::Sharing::kExclusive) != nullptr;
}

}  // namespace kuv::testing

#endif  // KUV_TESTS_SUPPORT_FILE_HOLDERS_H_
