#include "fakes/FakeInteraction.h"

namespace belvora::test {

void FakeInteraction::message(const std::string& title, const std::string& text, ui::Icon icon) {
  calls.push_back({"message", title, text, icon});
}

bool FakeInteraction::question(const std::string& title, const std::string& text, ui::Icon icon,
                               bool defaultYes) {
  calls.push_back({"question", title, text, icon});
  if (answers.empty()) return defaultYes;
  bool a = answers.front();
  answers.pop_front();
  return a;
}

std::string FakeInteraction::input(const std::string& title, const std::string& prompt,
                                   const std::string& defaultValue) {
  calls.push_back({"input", title, prompt, ui::Icon::None});
  if (inputs.empty()) return defaultValue;
  std::string v = inputs.front();
  inputs.pop_front();
  return v;
}

std::string FakeInteraction::chooseFile(const std::string& title, const std::string& filter) {
  calls.push_back({"file", title, filter, ui::Icon::None});
  if (inputs.empty()) return {};
  std::string v = inputs.front();
  inputs.pop_front();
  return v;
}

std::string FakeInteraction::chooseFolder(const std::string& title) {
  calls.push_back({"folder", title, {}, ui::Icon::None});
  if (inputs.empty()) return {};
  std::string v = inputs.front();
  inputs.pop_front();
  return v;
}

std::vector<FakeInteraction::Call> FakeInteraction::messages() const {
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
