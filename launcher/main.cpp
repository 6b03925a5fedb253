// Start: creates or reads an invoice for office macros and scripts from one
// pipe-separated parameter string (its arguments joined by one blank).
//
//   Start "action=erstellen|outputxml=/tmp/RG1.xml|connect=Data Source=erp.sqlite|sql=..."
//
//   Start --help | --version
//
// Exit status: 0 done, 1 the action failed, 2 usage shown, 3 no database.
// CONVERT starts the converter named in the settings file ([Convert]
// program=) and does not wait for it. On a desktop the usage, the state
// label and the messages are windows.
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>

#include "Actions.h"
#include "Frontend.h"
#include "Options.h"
#include "Parameters.h"

namespace {

// Adding an action: declare it in Actions.h and name it here.
constexpr std::pair<std::string_view, start::Action> kActions[] = {
    {"ERSTELLEN", &start::ActionErstellen},
    {"EINLESEN", &start::ActionEinlesen},
    {"SUPPORT", &start::ActionSupport},
    {"CONVERT", &start::ActionConvert},
};

std::string joinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  start::Frontend frontend;
  try {
    if (int status = start::HandleOption(argc, argv); status >= 0) return status;
    start::Parameters params;
    if (!start::ParseParameterString(joinArguments(argc, argv), params)) return start::ShowUsage();
    std::string action = start::Upper(start::GetParameter(&params, "action"));
    for (const auto& [name, run] : kActions)
      if (action == name) return run(params);
    return start::ShowUsage();
  } catch (const std::exception& e) {
    start::ShowError(std::string("1 ") + e.what());
    return start::kExitFailed;
  }
}
