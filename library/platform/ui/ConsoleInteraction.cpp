#include "platform/ui/ConsoleInteraction.h"

#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string_view>

#include "messages/Messages.h"

namespace belvora::ui {
namespace {

// One message at a time, so texts of objects in several threads never mix.
std::mutex& outputMutex() {
  static std::mutex m;
  return m;
}

}  // namespace

ConsoleInteraction::ConsoleInteraction(std::ostream& err) : err_(err) {}
ConsoleInteraction::ConsoleInteraction() : err_(std::cerr) {}

void ConsoleInteraction::message(const std::string& title, const std::string& text, Icon) {
  std::lock_guard lock(outputMutex());
  err_ << '[' << title << "] " << text << '\n' << std::flush;
}

bool ConsoleInteraction::question(const std::string& title, const std::string& text, Icon,
                                  bool defaultYes) {
  bool answer = defaultYes;
  if (const char* env = std::getenv("BELVORA_ANSWER")) {
    std::string_view v(env);
    if (v == "yes") answer = true;
    if (v == "no") answer = false;
  }
  std::lock_guard lock(outputMutex());
  err_ << '[' << title << "] " << text << '\n'
       << "-> " << (answer ? messages::kAnswerYes : messages::kAnswerNo) << '\n'
       << std::flush;
  return answer;
}

std::string ConsoleInteraction::input(const std::string& title, const std::string& prompt,
                                      const std::string& defaultValue) {
  std::lock_guard lock(outputMutex());
  err_ << '[' << title << "] " << prompt << '\n' << "-> " << defaultValue << '\n' << std::flush;
  return defaultValue;
}

std::string ConsoleInteraction::chooseFile(const std::string&, const std::string&) { return {}; }
std::string ConsoleInteraction::chooseFolder(const std::string&) { return {}; }

}  // namespace belvora::ui
