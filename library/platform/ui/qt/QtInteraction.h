#pragma once

#include <memory>

#include "platform/ui/ConsoleInteraction.h"
#include "platform/ui/Interaction.h"

namespace belvora::ui::qt {

// Message boxes, questions, the input box and the file and folder dialogs
// as Qt windows. On a thread other than the user interface's, nothing
// opens: the text goes to the error stream with the reason, a question is
// answered No and the dialogs give the empty text (cancel).
class QtInteraction : public Interaction {
 public:
  void message(const std::string& title, const std::string& text, Icon icon) override;
  bool question(const std::string& title, const std::string& text, Icon icon,
                bool defaultYes) override;
  std::string input(const std::string& title, const std::string& prompt,
                    const std::string& defaultValue) override;
  std::string chooseFile(const std::string& title, const std::string& filter) override;
  std::string chooseFolder(const std::string& title) override;
  bool windows() const override { return true; }

 private:
  // True when windows may open here; otherwise the refusal is reported.
  bool usable(const std::string& title);

  ConsoleInteraction console_;
};

// What ui::current() creates when windows are wanted: the Qt interaction,
// or the console one when there is no display to open windows on.
std::unique_ptr<Interaction> MakeInteraction();

}  // namespace belvora::ui::qt
