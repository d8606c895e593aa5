// The progress bar as a user sees it: drawn on a terminal only, and moving
// steadily through a long run rather than at its end.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;

// A pseudo-terminal whose far side a run takes as standard error; what it
// draws is collected until the run ends.
class Terminal {
 public:
  Terminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      const char* name = ::ptsname(master_);
      if (name != nullptr) path_ = name;
    }
  }
  ~Terminal() {
    if (reader_.joinable()) reader_.join();
    if (master_ >= 0) ::close(master_);
  }

  const std::string& path() const { return path_; }

  // Reads until the far side is closed by everyone (the run has ended and
  // the test's own copy is closed).
  void StartReading() {
    reader_ = std::thread([this] {
      char buffer[4096];
      for (;;) {
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got <= 0) break;
        drawn_.append(buffer, static_cast<std::size_t>(got));
      }
    });
  }
  std::string Drawn() {
    if (reader_.joinable()) reader_.join();
    return drawn_;
  }

 private:
  int master_ = -1;
  std::string path_;
  std::thread reader_;
  std::string drawn_;
};

// The percentages of the bar's redraws, in order.
std::vector<int> Percentages(const std::string& drawn, const std::string& label) {
  std::vector<int> seen;
  const std::regex step(label + " \\[[#.]+\\] +([0-9]+)%");
  for (auto it = std::sregex_iterator(drawn.begin(), drawn.end(), step);
       it != std::sregex_iterator(); ++it) {
    seen.push_back(std::stoi((*it)[1]));
  }
  return seen;
}

// How many times the bar was drawn: each draw starts by clearing its line
// and writes something after it.
int Draws(const std::string& drawn) {
  int draws = 0;
  for (std::size_t at = drawn.find("\r\033[K"); at != std::string::npos;
       at = drawn.find("\r\033[K", at + 1)) {
    draws += at + 4 < drawn.size() && drawn[at + 4] != '\r';
  }
  return draws;
}

// What a run drew on its terminal, and how long it took.
struct Drawing {
  std::string drawn;
  double seconds = 0;
};

class Progress : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  // Runs kuv with standard error on a terminal; nullopt when this machine
  // gives the test no pseudo-terminal.
  std::optional<Drawing> DrawnBy(const std::vector<std::string>& arguments) {
    Terminal terminal;
    if (terminal.path().empty()) return std::nullopt;
    // Held open while the run starts, so that the reader cannot see the
    // far side closed before the run has opened it.
    const int keep = ::open(terminal.path().c_str(), O_RDWR | O_NOCTTY);
    ToolTest::Streams streams;
    streams.error = terminal.path();
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = Start(arguments, streams);
    terminal.StartReading();
    ::close(keep);
    const ToolRun run = Finish(child, streams);
    Drawing drawing;
    drawing.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.status, 0) << run.err;
    drawing.drawn = terminal.Drawn();
    return drawing;
  }
};

// The bar stays quiet for its first 400 ms and then redraws five times a
// second; a shorter run cannot show whether it moves steadily.
constexpr double kShortestTelling = 1.5;

// At least twice a second once the first 400 ms have passed, with slack
// for a loaded machine, and through values between the ends rather than
// in one jump at the end.
void ExpectSteady(const Drawing& drawing, const std::string& label) {
  EXPECT_GE(Draws(drawing.drawn), static_cast<int>((drawing.seconds - 0.5) * 2) - 1)
      << drawing.seconds << " s:\n"
      << drawing.drawn;
  const std::vector<int> seen = Percentages(drawing.drawn, label);
  ASSERT_FALSE(seen.empty()) << drawing.drawn;
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i], seen[i - 1]);
  const std::set<int> between(std::find_if(seen.begin(), seen.end(), [](int p) { return p > 0; }),
                              std::find(seen.begin(), seen.end(), 100));
  EXPECT_GE(between.size(), 2u) << "the bar jumped: " << drawing.drawn;
}

// Why a drawing cannot show what these tests check, if it cannot.
std::optional<std::string> WhyItCannotTell(const std::optional<Drawing>& drawing) {
  if (!drawing) return "this machine gives the test no pseudo-terminal";
  if (drawing->seconds >= kShortestTelling) return std::nullopt;
  return "the run took " + std::to_string(drawing->seconds) +
         " s, too short to tell a steady bar from one drawn at the end";
}

TEST_F(Progress, ExportOfOneBigObjectMovesSteadily) {
  WriteFile(Path("big.kuv"), BigDocument(400000));
  const std::optional<Drawing> drawing =
      DrawnBy({"export", Path("big.kuv"), "--format", "json", "-o", Path("big.json")});
  if (const auto why = WhyItCannotTell(drawing)) GTEST_SKIP() << *why;
  ExpectSteady(*drawing, "exporting");
  // The line is cleared at the end.
  ASSERT_GE(drawing->drawn.size(), 4u);
  EXPECT_EQ(drawing->drawn.substr(drawing->drawn.size() - 4), "\r\033[K");
}

TEST_F(Progress, ImportMovesSteadily) {
  WriteFile(Path("big.kuv"), BigDocument(300000));
  ASSERT_EQ(Run({"export", Path("big.kuv"), "--format", "json", "-o", Path("big.json")}).status, 0);
  const std::optional<Drawing> drawing =
      DrawnBy({"import", Path("big.json"), "-o", Path("back.kuv")});
  if (const auto why = WhyItCannotTell(drawing)) GTEST_SKIP() << *why;
  ExpectSteady(*drawing, "importing");
}

TEST_F(Progress, AnInterruptClearsTheBarsLine) {
  WriteFile(Path("big.kuv"), BigDocument(400000));
  Terminal terminal;
  if (terminal.path().empty()) GTEST_SKIP() << "this machine gives the test no pseudo-terminal";
  const int keep = ::open(terminal.path().c_str(), O_RDWR | O_NOCTTY);
  ToolTest::Streams streams;
  streams.error = terminal.path();
  const pid_t child =
      Start({"export", Path("big.kuv"), "--format", "json", "-o", Path("big.json")}, streams);
  terminal.StartReading();
  ::close(keep);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  ::kill(child, SIGINT);
  const ToolRun run = Finish(child, streams);
  const std::string drawn = terminal.Drawn();
  if (run.status != 130) GTEST_SKIP() << "the export ended before the interrupt";
  ASSERT_GE(drawn.size(), 4u);
  EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\033[K") << drawn;
}

TEST_F(Progress, NothingIsDrawnWhenStandardErrorIsNoTerminal) {
  WriteFile(Path("big.kuv"), BigDocument(100000));
  const ToolRun run = Run({"export", Path("big.kuv"), "--format", "json", "-o", Path("big.json")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace kuv::tool
