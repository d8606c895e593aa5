// Makes allocations fail on purpose and checks that exports turn that into
// the result 0 instead of letting the exception reach the host.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "kuv/kuv.h"
#include "support/fake_platform.h"

namespace {
std::atomic<bool> g_failAllocations{false};
}  // namespace

void* operator new(std::size_t size) {
  if (g_failAllocations.load()) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kuv {
namespace {

class FailingAllocation {
 public:
  FailingAllocation() { g_failAllocations = true; }
  ~FailingAllocation() { g_failAllocations = false; }
};

TEST(AllocationFailure, BecomesResultZero) {
  testing::FakePlatform platform;
  testing::LoadedLibrary library(platform);
  char* text = nullptr;
  int result;
  {
    FailingAllocation failing;
    result = KuvDateToString(2002, 10, 1, 14, 5, &text);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(KuvDateToString(2002, 10, 1, 14, 5, &text), 1);  // and the library still works
  EXPECT_STREQ(text, "20021001T14:05:00000");
}

}  // namespace
}  // namespace kuv
