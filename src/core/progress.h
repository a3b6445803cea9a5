#pragma once
#include "core/host.h"

namespace quarnby {

// A progress bar moved only when its value changes, so that a pass over a million
// samples repaints it at most a hundred times.
class ProgressSteps {
 public:
  ProgressSteps(Host& host, ProgressBar bar, int shown) : host_(host), bar_(bar), shown_(shown) {}
  void set(int value) {
    if (value == shown_) return;
    shown_ = value;
    host_.setProgress(bar_, value);
  }

 private:
  Host& host_;
  ProgressBar bar_;
  int shown_;
};

}  // namespace quarnby
