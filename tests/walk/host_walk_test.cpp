// The random walk under a few fixed seeds; KW_WALK_SEED=<seed> replays one
// seed in the test Replay (KW_WALK_STEPS changes the length).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fstream>
#include <vector>

#include "host_walk.h"
#include "sim_trace_playback.h"
#include "test_support.h"

namespace {

constexpr int kSteps = 10000;
uint32_t walkingSeed = 0;

// A fault that ends the process still names the seed and the step.
LONG CALLBACK ReportStep(EXCEPTION_POINTERS* info) {
  switch (info->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_PRIV_INSTRUCTION:
    case STATUS_STACK_BUFFER_OVERRUN:
      std::fprintf(stderr, "walk: seed %u, step %d (%s): exception 0x%08lX\n", walkingSeed,
                   kwtest::HostWalk::CurrentStep(), kwtest::HostWalk::CurrentAction(),
                   static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
      std::fflush(stderr);
      break;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

int StepsToWalk() {
  const char* steps = std::getenv("KW_WALK_STEPS");
  return steps ? std::atoi(steps) : kSteps;
}

class RandomWalk : public kwtest::HostTest {
 protected:
  void Walk(uint32_t seed) {
    static const bool reporting = AddVectoredExceptionHandler(1, &ReportStep) != nullptr;
    (void)reporting;
    walkingSeed = seed;
    kwtest::HostWalk walk(seed);
    std::optional<std::string> failure = walk.Run(StepsToWalk());
    // With the trace on, the trace the walk wrote plays back to the same shop.
    if (!failure && walk.Slad()) failure = walk.PlayBack();
    EXPECT_FALSE(failure.has_value()) << "seed " << seed << ", " << failure.value_or("")
                                      << "\nreplay: " << (walk.Slad() ? "KW_WALK_SLAD=1 " : "")
                                      << "KW_WALK_SEED=" << seed << " KW_WALK_STEPS=" << StepsToWalk();
  }
  void TearDown() override {}  // the walk reports the host's faults with their step
};

TEST_F(RandomWalk, Seed1) { Walk(1); }
TEST_F(RandomWalk, Seed20261207) { Walk(20261207); }
TEST_F(RandomWalk, Seed3141592653) { Walk(3141592653u); }
// A document dialog ended, and the next one opened and accepted, while the
// configuration dialog is open.
TEST_F(RandomWalk, Seed18) { Walk(18); }
// The configuration command run again inside the rest of the host's call of
// the first dialog, after its end: the later choice stays.
TEST_F(RandomWalk, Seed12) { Walk(12); }
// With the module's relay trace on, checked against the host at every step;
// 2000 steps reach the trace's size bound and go on after it; the trace then
// plays back up to its bound, handing the host what the walk's host saw.
TEST_F(RandomWalk, Seed20261207WithTrace) {
  _putenv("KW_WALK_SLAD=1");
  _putenv("KW_WALK_STEPS=2000");
  Walk(20261207);
}
// A register event run inside the trace's append of the list's first line.
TEST_F(RandomWalk, Seed731127WithTrace) {
  _putenv("KW_WALK_SLAD=1");
  _putenv("KW_WALK_STEPS=2000");
  Walk(731127);
}

// A shop's trace played by itself: KW_SLAD_FILE=<Kalwestrowka-slad.txt>
// (README, "The relay trace"); what the module handed the host is printed.
TEST_F(RandomWalk, PlayTrace) {
  const char* path = std::getenv("KW_SLAD_FILE");
  if (!path) GTEST_SKIP() << "set KW_SLAD_FILE to play a trace back";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << "cannot read " << path;
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  hostsim::TracePlayback playback(lines);
  const std::optional<std::string> failure = playback.Run();
  for (const std::string& handed : playback.Handed()) std::printf("handed: %s\n", handed.c_str());
  std::printf("played %zu of %zu lines\n", playback.Played(), lines.size());
  EXPECT_FALSE(failure.has_value()) << path << ": " << failure.value_or("");
}

TEST_F(RandomWalk, Replay) {
  const char* seed = std::getenv("KW_WALK_SEED");
  if (!seed) GTEST_SKIP() << "set KW_WALK_SEED to replay one seed";
  Walk(static_cast<uint32_t>(std::strtoul(seed, nullptr, 0)));
}

}  // namespace
