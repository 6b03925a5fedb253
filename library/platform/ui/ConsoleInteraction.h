#pragma once

#include <iosfwd>

#include "platform/ui/Interaction.h"

namespace belvora::ui {

// For servers, scripts and CI: messages go to the error stream as
// "[Title] text"; questions are answered from BELVORA_ANSWER=yes|no or by
// their default button, and the answer taken is printed.
class ConsoleInteraction : public Interaction {
 public:
  explicit ConsoleInteraction(std::ostream& err);
  ConsoleInteraction();

  void message(const std::string& title, const std::string& text, Icon icon) override;
  bool question(const std::string& title, const std::string& text, Icon icon,
                bool defaultYes) override;
  std::string input(const std::string& title, const std::string& prompt,
                    const std::string& defaultValue) override;
  std::string chooseFile(const std::string& title, const std::string& filter) override;
  std::string chooseFolder(const std::string& title) override;

 private:
  std::ostream& err_;
};

}  // namespace belvora::ui
