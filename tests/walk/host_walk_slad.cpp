// The walk with the module's relay trace on (KW_WALK_SLAD=1, soak.py --slad):
// after every step, the trace's lines of the step against what the host saw.
// Every host call the host answered has its call and its answer in the trace
// (the trace's own appends aside), with the answer the host gave; every call
// and entry opened is closed by the step's end, never before it opened (a
// handler the host runs inside the trace's own append of a line may come out
// around that line, so the order between them is not held); a journal line of
// the module has its decision line, and every warning line its box (the
// register's warnings are boxes only, their calls in the trace). After the
// size bound, nothing more.
#include <cstdio>
#include <cstdlib>
#include <map>

#include "host_defaults.h"
#include "host_walk.h"
#include "journal_format.h"
#include "sim_files.h"
#include "sim_messages.h"
#include "test_support.h"
#include "sim_trace_playback.h"

namespace kwtest {

namespace {

// The trace as the support engineer and the administrator know it.
constexpr char kSladFile[] = "Kalwestrowka-slad.txt";
constexpr char kSladSwitch[] = "Kalwestrowka-slad.cfg";
constexpr char kCall = '-', kAnswer = '=', kEntry = '>', kLeave = '<', kDecision = '!', kOwn = '#';

struct SladLine {
  char kind = 0;
  std::string text;
};

bool ParseSlad(const std::string& raw, SladLine& line) {
  const std::size_t time = raw.find_first_not_of(' ');
  const std::size_t gap = time == std::string::npos ? time : raw.find(' ', time);
  const std::size_t kind = gap == std::string::npos ? gap : raw.find_first_not_of(' ', gap + 1);
  if (kind == std::string::npos) return false;
  line.kind = raw[kind];
  line.text = raw.substr(std::min(kind + 2, raw.size()));
  return true;
}

// The answer written after "= ": a number, an address, or none (T44: a table).
std::optional<uint32_t> Answer(const std::string& text) {
  const std::size_t at = text.find("= ");
  if (at == std::string::npos || text[at + 2] == 'T' || text[at + 2] == '"') return std::nullopt;
  return static_cast<uint32_t>(std::strtoll(text.c_str() + at + 2, nullptr, 0));
}

}  // namespace

void HostWalk::StartSlad() {
  slad_ = std::getenv("KW_WALK_SLAD") != nullptr;
  if (slad_) files_.Write(kSladSwitch, "1");
  host_.KeepCalls(trace_ || slad_);
  if (!slad_) return;
  host_.Observe([this](const hostsim::HostCall& call) {
    if (std::optional<std::string> handed = hostsim::HandedData(call)) {
      sladHanded_.emplace_back(*handed, files_.Appended(kSladFile).size());
    }
  });
}

std::optional<std::string> HostWalk::PlayBack() {
  const std::vector<std::string> trace = files_.Appended(kSladFile);
  // KW_WALK_SLAD_OUT=<file>: the trace kept, to be played again by itself
  // (KW_SLAD_FILE, the test TracePlayback.File).
  if (const char* out = std::getenv("KW_WALK_SLAD_OUT")) {
    if (FILE* file = std::fopen(out, "wb")) {
      for (const std::string& line : trace) std::fprintf(file, "%s\r\n", line.c_str());
      std::fclose(file);
    }
  }
  module_.Unload();
  host_.Reset();
  hostsim::InstallDefaultHandlers(host_);
  hostsim::TracePlayback playback(trace);
  if (std::optional<std::string> failure = playback.Run()) return "the trace's playback: " + *failure;
  const std::vector<std::string>& played = playback.Handed();
  // A trace cut at its bound ends where the module still had lines queued:
  // what it handed after them is not in the trace.
  const bool cut = playback.Played() < trace.size();
  std::size_t seen = 0;
  for (const auto& [handed, lines] : sladHanded_) {
    // The stop's own line counts among the lines there were at a call.
    if (lines > playback.Played() + (cut ? 1 : 0) || (cut && seen == played.size())) break;
    if (seen >= played.size() || played[seen] != handed) {
      return "the trace's playback handed the host, as its " + std::to_string(seen + 1) + ". data, \"" +
             (seen < played.size() ? played[seen] : "nothing") + "\", the walk's host saw \"" + handed + "\"";
    }
    ++seen;
  }
  if (seen != played.size()) return "the trace's playback handed the host more: \"" + played[seen] + "\"";
  std::printf("the trace played back: %zu of %zu lines, %zu data handed as the walk's host saw them\n",
              playback.Played(), trace.size(), seen);
  return std::nullopt;
}

void HostWalk::CheckSlad() {
  if (!slad_) return;
  const auto& lines = files_.Appended(kSladFile);
  const std::size_t decisionsDue = files_.Appended(kw::kJournalFile).size() - sladJournalSeen_;
  std::size_t warningsDue = 0;
  for (std::size_t i = sladBoxesSeen_; i < messages_.Shown().size(); ++i) warningsDue += messages_.Shown()[i].title == "Uwaga";
  sladJournalSeen_ += decisionsDue;
  sladBoxesSeen_ = messages_.Shown().size();
  if (CurrentStep() < 0 || sladStopped_) {
    if (sladStopped_ && lines.size() > sladSeen_) Fail("the trace wrote after its last line: " + lines[sladSeen_]);
    sladSeen_ = lines.size();
    return;
  }
  std::map<int, int> calls;                          // per ordinal: the trace's less the host's
  std::map<int, std::multiset<uint32_t>> answers;    // per ordinal: the host's answers
  for (const hostsim::CallRecord& entry : host_.Calls()) {
    if (entry.ordinal == 52407 && entry.Text(0) == kSladFile) continue;
    --calls[entry.ordinal];
    answers[entry.ordinal].insert(entry.result);
  }
  std::map<std::string, int> open;  // per call or entry: opened less closed
  std::size_t decisions = 0, warnings = 0;
  for (; sladSeen_ < lines.size(); ++sladSeen_) {
    SladLine line;
    const std::string where = "trace line \"" + lines[sladSeen_] + "\": ";
    if (!ParseSlad(lines[sladSeen_], line)) return Fail(where + "not a trace line");
    const int ordinal = std::atoi(line.text.c_str());
    const std::string name = line.text.substr(0, line.text.find_first_of(" ("));
    if (line.kind == kCall) {
      ++calls[ordinal];
      ++open[name];
    } else if (line.kind == kEntry) {
      ++open[name];
    } else if (line.kind == kAnswer || line.kind == kLeave) {
      if (--open[name] < 0) return Fail(where + "closes " + name + ", which is not open");
      const std::optional<uint32_t> answer = line.kind == kAnswer ? Answer(line.text) : std::nullopt;
      if (!answer) continue;
      auto& given = answers[ordinal];
      auto found = given.find(*answer);
      if (found == given.end()) {
        for (auto it = given.begin(); it != given.end() && found == given.end(); ++it) {
          if ((*it & 0xFFFF) == *answer) found = it;
        }
      }
      if (found == given.end()) return Fail(where + "the host gave no such answer");
      given.erase(found);
    } else if (line.kind == kDecision) {
      ++(line.text.rfind("UWAGA", 0) == 0 ? warnings : decisions);
    } else if (line.kind == kOwn && line.text.find("zatrzymany") != std::string::npos) {
      sladStopped_ = true;
      std::printf("the trace stopped at its bound in step %d, after %zu lines\n", CurrentStep(), sladSeen_ + 1);
    }
  }
  if (sladStopped_) return;
  for (const auto& [name, count] : open) {
    if (count != 0) return Fail("the trace left " + name + " open at the step's end");
  }
  for (const auto& [called, difference] : calls) {
    if (difference != 0) return Fail("host function " + std::to_string(called) + ": the trace has " + std::to_string(difference) + " calls more than the host answered");
  }
  if (decisions != decisionsDue || warnings > warningsDue) {
    return Fail("the trace has " + std::to_string(decisions) + " decisions and " + std::to_string(warnings) + " warnings, the journal " + std::to_string(decisionsDue) + " lines and the boxes " + std::to_string(warningsDue) + " warnings");
  }
}

}  // namespace kwtest
