#pragma once
#include <deque>
#include <string>
#include <vector>

#include "core/host.h"

namespace quarnby::testing {

// A Host that remembers everything an operation showed, for exact comparison.
class RecordingHost : public Host {
 public:
  struct Message {
    std::string text;
    Icon icon;
    std::string title;
  };
  struct Question {
    std::string text;
    std::string title;
  };

  void showMessage(const std::string& text, Icon icon, const std::string& title) override {
    messages.push_back({text, icon, title});
  }
  bool askYesNo(const std::string& text, const std::string& title, Icon) override {
    questions.push_back({text, title});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void setProgress(ProgressBar bar, int value) override { progress.push_back({bar, value}); }
  void setFocus(const std::string& control) override { focus.push_back(control); }

  // The text of the only message shown; "" when none or several were shown.
  std::string onlyMessage() const { return messages.size() == 1 ? messages[0].text : std::string(); }
  std::vector<int> progressOf(ProgressBar bar) const {
    std::vector<int> values;
    for (const auto& [b, v] : progress)
      if (b == bar) values.push_back(v);
    return values;
  }

  std::vector<Message> messages;
  std::vector<Question> questions;
  std::deque<bool> answers;  // Yes/No answers given in turn; No when none is left
  std::vector<std::pair<ProgressBar, int>> progress;
  std::vector<std::string> focus;
};

}  // namespace quarnby::testing
