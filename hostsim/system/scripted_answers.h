// The simulated user's script of answers to boxes: taken in the order given,
// one a box, until it runs out.
#pragma once

#include <deque>
#include <initializer_list>
#include <optional>

namespace hostsim {

class ScriptedAnswers {
 public:
  void Add(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }
  void Clear() { answers_.clear(); }
  // The next answer of the script, or none when it has run out.
  std::optional<int> Take() {
    if (answers_.empty()) return std::nullopt;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

 private:
  std::deque<int> answers_;
};

}  // namespace hostsim
