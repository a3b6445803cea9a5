#pragma once
#include <cstdio>
#include <string>

#include "core/host.h"

namespace quarnby::tools {

// Messages of the operations go to the terminal; every question is answered Yes.
class PrintingHost : public Host {
 public:
  void showMessage(const std::string& text, Icon, const std::string&) override { std::printf("%s\n", text.c_str()); }
  bool askYesNo(const std::string&, const std::string&, Icon) override { return true; }
  void setProgress(ProgressBar, int) override {}
  void setFocus(const std::string&) override {}
};

}  // namespace quarnby::tools
