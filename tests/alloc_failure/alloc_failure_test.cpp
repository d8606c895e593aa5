// Running out of memory at any point of a host's work: a call sequence runs
// once counting its allocations, then again for each N with allocation N
// failing (and every later one succeeding). Every call must answer 0 or 1,
// nothing may leak (LeakSanitizer checks at exit) and afterwards the same
// library must do the whole sequence again exactly as it first did.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"
#include "support/scratch_folder.h"

namespace {

// Allocations are counted, and the one numbered g_failAt fails, only
// while g_armed is set.
std::atomic<bool> g_armed{false};
std::atomic<long> g_allocations{0};
std::atomic<long> g_failAt{0};

void* Allocate(std::size_t size) {
  if (g_armed.load() && ++g_allocations == g_failAt.load()) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void* AllocateNoThrow(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateNoThrow(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace kuv {
namespace {

// The results of one run, in call order. The storage is made before a run
// starts, so that the test's own bookkeeping never allocates in it.
class Results {
 public:
  Results() {
    results_.reserve(kMaxResults);
    notes_.reserve(kMaxResults);
  }
  // A result that a repeated run must give again.
  void Add(int result) {
    if (results_.size() < kMaxResults) results_.push_back(result);
  }
  // A result that depends on what an earlier run left behind.
  void Note(int result) {
    if (notes_.size() < kMaxResults) notes_.push_back(result);
  }
  void Clear() {
    results_.clear();
    notes_.clear();
  }
  const std::vector<int>& all() const { return results_; }
  bool AllZeroOrOne() const {
    for (const std::vector<int>* list : {&results_, &notes_}) {
      for (int result : *list) {
        if (result != 0 && result != 1) return false;
      }
    }
    return true;
  }

 private:
  static constexpr std::size_t kMaxResults = 4096;
  std::vector<int> results_;
  std::vector<int> notes_;
};

// Counts the allocations of body, with allocation failAt failing (none
// for 0).
template <typename Body>
long RunArmed(long failAt, Body&& body) {
  g_allocations = 0;
  g_failAt = failAt;
  g_armed = true;
  body();
  g_armed = false;
  return g_allocations.load();
}

class AllocationFailure : public ::testing::Test {
 protected:
  void SetUp() override { platform.registryValues["FileName"] = kTemplate + std::string(1, '\0'); }
  void TearDown() override { UnloadLibrary(); }

  // Fails every allocation of a run in turn, at most about maxRuns of them
  // (evenly spread, the first and last always included), and checks each
  // run and the library's recovery from it.
  template <typename Sequence>
  void FailEachAllocation(Sequence&& sequence, long maxRuns) {
    ASSERT_TRUE(LoadLibrary(platform));
    Results expected;
    const long count = RunArmed(0, [&] { sequence(expected); });
    ASSERT_GT(count, 0);
    const std::optional<std::string> expectedBytes = testing::ReadFileBytes(saved);
    const long stride = count <= maxRuns ? 1 : (count + maxRuns - 1) / maxRuns;
    RecordProperty("allocations", std::to_string(count));
    Results results;
    for (long n = 1; n <= count; n = n == count || n + stride <= count ? n + stride : count) {
      SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(count));
      ASSERT_TRUE(LoadLibrary(platform));
      results.Clear();
      RunArmed(n, [&] { sequence(results); });
      ASSERT_TRUE(results.AllZeroOrOne());

      // The same library, as the failure left it, does it all again.
      results.Clear();
      sequence(results);
      ASSERT_EQ(results.all(), expected.all());
      ASSERT_EQ(testing::ReadFileBytes(saved), expectedBytes);
    }
  }

  const std::string kTemplate = std::string(KUV_SOURCE_DIR) + "/examples/Standard.kvt";
  const std::string kSample = std::string(KUV_SOURCE_DIR) + "/examples/kestrel3_casing_tops.kuv";
  testing::FakePlatform platform;
  testing::ScratchFolder folder;
  const std::string saved = folder.File("saved.kuv");
};

// A host's session: attach, read a sample and walk all of it, build an
// object, rewrite and delete others, use the dates, save and detach.
void HostSession(Results& out, const char* sample, const char* saved) {
  char* message = nullptr;
  out.Add(KuvAttach(&message));
  out.Add(KuvOpen(sample, &message, 0));
  char** names = nullptr;
  int count = 0;
  out.Add(KuvObjectList(&names, &count));
  out.Add(KuvObjectExists("CasingStrings"));

  char *id, *author, *version, *wellId, *date;
  char *table, *field, *type, *unit, *value, *parent;
  int row = 0;
  for (int object = 0; object < 10; ++object) {
    const int next = KuvGetNextObject(&id, &author, &version, &wellId, &date);
    out.Add(next);
    if (next != 1) break;
    out.Add(KuvIsParent("CementStage", "Casing"));
    for (int i = 0; i < 1000; ++i) {
      const int got = KuvGetNextValue(&table, &field, &type, &unit, &value, &parent, &row);
      out.Add(got);
      if (got != 1) break;
    }
  }
  out.Add(KuvGetFieldDef("CasingStrings", "Casing", "OD", &type, &unit));

  out.Add(KuvCreateObject("Runs", "kuv", "1", "KES-3"));
  out.Add(KuvCreateTableDef("Run", ""));
  out.Add(KuvCreateTableDef("Sample", "Run"));
  out.Add(KuvCreateFieldDef("Run", "Depth", "m", "float"));
  out.Add(KuvCreateFieldDef("Sample", "Reading", "", "string"));
  for (const char* depth : {"100.5", "200.25", "a depth too long to be kept in place"}) {
    out.Add(KuvPutValue("Run", "Depth", depth));
    out.Add(KuvPutValue("Sample", "Reading", "first"));
    out.Add(KuvPutValue("Sample", "Reading", "second"));
  }
  out.Add(KuvPutObject("CasingStrings", "kuv", "2", "KES-3"));
  out.Add(KuvPutValue("Casing", "Name", "Conductor"));
  out.Add(KuvPutValue("Casing", "OD", "30.000"));
  out.Add(KuvDeleteObject("FormationTops"));

  char* text = nullptr;
  out.Add(KuvDateToString(2024, 3, 18, 14, 5, &text));
  int parts[5];
  out.Add(KuvStringToDate("20240318T14:05:00000", &parts[0], &parts[1], &parts[2], &parts[3],
                          &parts[4]));
  out.Add(KuvSave(saved, &message));
  out.Add(KuvDetach());
}

TEST_F(AllocationFailure, AnyAllocationOfAHostSessionFailing) {
  FailEachAllocation([&](Results& out) { HostSession(out, kSample.c_str(), saved.c_str()); }, 2500);
}

// Short enough that every allocation fails once.
void ShortSession(Results& out, const char* saved) {
  char* message = nullptr;
  out.Add(KuvAttach(&message));
  out.Add(KuvCreateObject("Well", "kuv", "1", "W-1"));
  out.Add(KuvCreateTableDef("T", ""));
  out.Add(KuvCreateFieldDef("T", "f", "m", "float"));
  out.Add(KuvPutValue("T", "f", "1.5"));
  out.Add(KuvPutValue("T", "f", "2.5"));
  // The walk over the store outlives a detach: it is run to its end, where
  // it starts again, whatever the run before left.
  char *id, *author, *version, *wellId, *date;
  for (int i = 0; i < 3; ++i) {
    const int next = KuvGetNextObject(&id, &author, &version, &wellId, &date);
    out.Note(next);
    if (next != 1) break;
  }
  out.Add(KuvGetNextObject(&id, &author, &version, &wellId, &date));
  char *table, *field, *type, *unit, *value, *parent;
  int row = 0;
  out.Add(KuvGetNextValue(&table, &field, &type, &unit, &value, &parent, &row));
  char** names = nullptr;
  int count = 0;
  out.Add(KuvObjectList(&names, &count));
  out.Add(KuvSave(saved, &message));
  out.Add(KuvDetach());
}

TEST_F(AllocationFailure, EveryAllocationOfAShortSessionFailing) {
  // A one-object template keeps the attachment short.
  const std::string shortTemplate = folder.File("Standard.kvt");
  ASSERT_TRUE(testing::WriteFileBytes(
      shortTemplate,
      "<?xml version='1.0'?>\n<KUV Version='3.61'>\n"
      "<BusinessObject ID='Well' Author='kuv' Version='1' WellID='' Date=''>\n"
      "<DataDescription>\n<TableDef Table='Header'/>\n</DataDescription>\n"
      "</BusinessObject>\n</KUV>\n"));
  platform.registryValues["FileName"] = shortTemplate + std::string(1, '\0');
  FailEachAllocation([&](Results& out) { ShortSession(out, saved.c_str()); },
                     std::numeric_limits<long>::max());
}

TEST_F(AllocationFailure, LoadStepRefusesTheLoadAndThrowsNothing) {
  const long count = RunArmed(0, [&] { ASSERT_TRUE(LoadLibrary(platform)); });
  ASSERT_GT(count, 0);
  for (long n = 1; n <= count; ++n) {
    bool loaded = true;
    RunArmed(n, [&] { loaded = LoadLibrary(platform); });
    EXPECT_FALSE(loaded) << "allocation " << n;
    char* text = nullptr;
    EXPECT_EQ(KuvDateToString(2002, 10, 1, 14, 5, &text), loaded ? 1 : 0);
  }
  ASSERT_TRUE(LoadLibrary(platform));
  char* message = nullptr;
  EXPECT_EQ(KuvAttach(&message), 1);
}

}  // namespace
}  // namespace kuv
