#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/Interaction.h"

namespace belvora::test {

// Records every call and answers questions from a queue (default: the
// dialog's default button). Install it with ScopedFakeInteraction. Calls
// from several threads are recorded one at a time.
class FakeInteraction : public ui::Interaction {
 public:
  struct Call {
    std::string kind;  // "message", "question", "input", "file", "folder"
    std::string title;
    std::string text;
    ui::Icon icon = ui::Icon::None;
  };

  void message(const std::string& title, const std::string& text, ui::Icon icon) override;
  bool question(const std::string& title, const std::string& text, ui::Icon icon,
                bool defaultYes) override;
  std::string input(const std::string& title, const std::string& prompt,
                    const std::string& defaultValue) override;
  std::string chooseFile(const std::string& title, const std::string& filter) override;
  std::string chooseFolder(const std::string& title) override;

  std::vector<Call> calls;
  std::deque<bool> answers;        // next question answers
  std::deque<std::string> inputs;  // next input / file / folder answers

  // Only the messages (not questions), for compact assertions.
  std::vector<Call> messages() const;

 private:
  std::string next();  // the next queued input, or empty
  mutable std::mutex mutex_;
};

// Installs a FakeInteraction for the lifetime of the object.
class ScopedFakeInteraction {
 public:
  ScopedFakeInteraction();
  ~ScopedFakeInteraction();
  ScopedFakeInteraction(const ScopedFakeInteraction&) = delete;
  ScopedFakeInteraction& operator=(const ScopedFakeInteraction&) = delete;
  FakeInteraction& operator*() { return *fake_; }
  FakeInteraction* operator->() { return fake_; }

 private:
  FakeInteraction* fake_;
  std::unique_ptr<ui::Interaction> previous_;
};

}  // namespace belvora::test
