#include "Options.h"

#include <belvora/belvora.h>
#include <belvora/version.h>

#include <iostream>
#include <string_view>

#include "Actions.h"
#include "Usage.h"

namespace start {
namespace {

// A full disk or a closed pipe must not pass for a printed text.
int written() {
  std::cout.flush();
  if (std::cout) return kExitSuccess;
  std::cerr << "[Start] Die Ausgabe kann nicht geschrieben werden.\n" << std::flush;
  return kExitFailed;
}

}  // namespace

int HandleOption(int argc, char** argv) {
  if (argc != 2) return -1;
  const std::string_view option = argv[1];
  if (option == "--help" || option == "-h") {
    std::cout << "Aufruf: Start \"action=...|name=value|...\"\n"
                 "        Start --help | --version\n\n"
              << UsageText();
    return written();
  }
  if (option == "--version") {
    std::cout << "Start " << BELVORA_VERSION_STRING << " (libbelvora " << belvora_version()
              << ")\n";
    return written();
  }
  return -1;
}

}  // namespace start
