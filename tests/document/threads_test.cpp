// Separate documents used from separate threads at the same time: each
// thread reads, walks, edits and saves its own. Run under ThreadSanitizer
// by the test command, this proves that the library keeps no shared state.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "document_test_support.h"
#include "kuv/document.hpp"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::Example;

// What one thread does with its own document; returns a description of
// anything that went wrong.
std::string WorkOnOwnDocument(const std::string& sample, const Template& standard,
                              const std::string& savePath, int round) {
  Document document = Document::Open(Example(sample));
  std::size_t values = 0;
  for (const BusinessObject object : document.objects()) {
    for (const Table table : object.tables()) {
      for (const Row row : table.rows()) values += row.values().size();
    }
  }
  if (values == 0) return sample + ": no values";
  BusinessObject added =
      document.CreateObject("Casing" + std::to_string(round), "t", "1", "W", &standard);
  // Named like the template's casing strings, the object takes their
  // definitions when it is rewritten.
  added.set_id("CasingStrings");
  added.Rewrite("t", "2", "W", &standard);
  try {
    for (int i = 0; i < 50; ++i) {
      added.Put("Casing", "Name", "string " + std::to_string(i));
      added.Put("CementStage", "Stage", std::to_string(i));
    }
  } catch (const Refusal& refusal) {
    return refusal.what();
  }
  document.Save(savePath);
  if (Document::Open(savePath).Serialize() != document.Serialize()) return "saved bytes differ";
  return "";
}

TEST(Threads, SeparateDocumentsOnSeparateThreads) {
  testing::ScratchFolder folder;
  const Template standard = Template::Open(Example("Standard.kvt"));
  const std::vector<std::string> samples = {"kestrel3_casing_tops.kuv",
                                            "kestrel3_header_survey.kuv", "kestrel3_log.kuv"};
  constexpr int kThreads = 4;
  constexpr int kRounds = 5;
  std::vector<std::string> problems(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds && problems[t].empty(); ++round) {
        try {
          problems[t] =
              WorkOnOwnDocument(samples[(t + round) % samples.size()], standard,
                                folder.File("thread" + std::to_string(t) + ".kuv"), round);
        } catch (const std::exception& error) {
          problems[t] = error.what();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(problems[t], "") << "thread " << t;
}

}  // namespace
}  // namespace kuv
