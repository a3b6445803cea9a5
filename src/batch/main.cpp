#include <iostream>

#include "batch/batch.h"
#include "platform/interrupts.h"

int main(int argc, char** argv) {
  quarnby::platform::removeTempsOnInterrupt();
  std::vector<std::string> args(argv + 1, argv + argc);
  return quarnby::runBatch(args, std::cout, std::cerr);
}
