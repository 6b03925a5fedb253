#include <iostream>

#include "Actions.h"
#include "Usage.h"

namespace start {

int ShowUsage() {
  std::cerr << UsageText() << std::flush;
  return kExitUsage;
}

void ShowLabel(const std::string& text) { std::cerr << text << '\n' << std::flush; }

void ShowNote(const std::string& text) { std::cerr << "[Note] " << text << '\n' << std::flush; }

}  // namespace start
