#include "FuzzSupport.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/ui/Interaction.h"

namespace belvora::fuzz {
namespace {

class SilentInteraction : public ui::Interaction {
 public:
  void message(const std::string&, const std::string&, ui::Icon) override {}
  bool question(const std::string&, const std::string&, ui::Icon, bool) override { return false; }
  std::string input(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string chooseFile(const std::string&, const std::string&) override { return {}; }
  std::string chooseFolder(const std::string&) override { return {}; }
};

}  // namespace

const std::string& scratchDir() {
  static const std::string dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "belvora-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    ::setenv("TMPDIR", pattern.c_str(), 1);
    return pattern;
  }();
  return dir;
}

void installSilentInteraction() { ui::install(std::make_unique<SilentInteraction>()); }

}  // namespace belvora::fuzz
