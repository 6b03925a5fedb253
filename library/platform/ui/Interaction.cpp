#include "platform/ui/Interaction.h"

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "platform/ui/ConsoleInteraction.h"

namespace belvora::ui {
namespace {

std::unique_ptr<Interaction>& slot() {
  static std::unique_ptr<Interaction> instance;
  return instance;
}

// Objects in several threads may ask for the interaction at once.
std::mutex& slotMutex() {
  static std::mutex m;
  return m;
}

Factory& qtFactory() {
  static Factory factory = nullptr;
  return factory;
}

bool wantsQt() {
  const char* choice = std::getenv("BELVORA_UI");
  if (choice && std::string_view(choice) == "console") return false;
  if (!qtFactory()) return false;
  if (choice && std::string_view(choice) == "qt") return true;
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

Interaction& current() {
  std::lock_guard lock(slotMutex());
  auto& s = slot();
  if (!s) s = wantsQt() ? qtFactory()() : std::make_unique<ConsoleInteraction>();
  return *s;
}

std::unique_ptr<Interaction> install(std::unique_ptr<Interaction> next) {
  std::lock_guard lock(slotMutex());
  auto previous = std::move(slot());
  slot() = std::move(next);
  return previous;
}

void registerQtFactory(Factory factory) { qtFactory() = factory; }

}  // namespace belvora::ui
