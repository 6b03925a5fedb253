#include "support/FakeInteraction.h"

namespace belvora::test {

void FakeInteraction::message(const std::string& title, const std::string& text, ui::Icon icon) {
  std::lock_guard lock(mutex_);
  calls.push_back({"message", title, text, icon});
}

bool FakeInteraction::question(const std::string& title, const std::string& text, ui::Icon icon,
                               bool defaultYes) {
  std::lock_guard lock(mutex_);
  calls.push_back({"question", title, text, icon});
  if (answers.empty()) return defaultYes;
  bool a = answers.front();
  answers.pop_front();
  return a;
}

std::string FakeInteraction::next() {
  if (inputs.empty()) return {};
  std::string v = inputs.front();
  inputs.pop_front();
  return v;
}

std::string FakeInteraction::input(const std::string& title, const std::string& prompt,
                                   const std::string& defaultValue) {
  std::lock_guard lock(mutex_);
  calls.push_back({"input", title, prompt, ui::Icon::None});
  return inputs.empty() ? defaultValue : next();
}

std::string FakeInteraction::chooseFile(const std::string& title, const std::string& filter) {
  std::lock_guard lock(mutex_);
  calls.push_back({"file", title, filter, ui::Icon::None});
  return next();
}

std::string FakeInteraction::chooseFolder(const std::string& title) {
  std::lock_guard lock(mutex_);
  calls.push_back({"folder", title, {}, ui::Icon::None});
  return next();
}

std::vector<FakeInteraction::Call> FakeInteraction::messages() const {
  std::lock_guard lock(mutex_);
  std::vector<Call> out;
  for (const auto& c : calls)
    if (c.kind == "message") out.push_back(c);
  return out;
}

ScopedFakeInteraction::ScopedFakeInteraction() {
  auto fake = std::make_unique<FakeInteraction>();
  fake_ = fake.get();
  previous_ = ui::install(std::move(fake));
}

ScopedFakeInteraction::~ScopedFakeInteraction() { ui::install(std::move(previous_)); }

}  // namespace belvora::test
