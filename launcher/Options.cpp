#include "Options.h"

#include <belvora/belvora.h>
#include <belvora/version.h>

#include <iostream>
#include <string_view>

#include "Actions.h"
#include "Usage.h"

namespace start {

int HandleOption(int argc, char** argv) {
  if (argc != 2) return -1;
  const std::string_view option = argv[1];
  if (option == "--help" || option == "-h") {
    std::cout << "Aufruf: Start \"action=...|name=value|...\"\n"
                 "        Start --help | --version\n\n"
              << UsageText() << std::flush;
    return std::cout ? kExitSuccess : kExitFailed;
  }
  if (option == "--version") {
    std::cout << "Start " << BELVORA_VERSION_STRING << " (libbelvora " << belvora_version() << ")\n"
              << std::flush;
    return std::cout ? kExitSuccess : kExitFailed;
  }
  return -1;
}

}  // namespace start
