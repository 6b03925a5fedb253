#pragma once

#include <string>

#include "Parameters.h"

namespace start {

// Exit statuses of Start.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;      // the action could not be done
inline constexpr int kExitUsage = 2;       // no usable parameter string or action
inline constexpr int kExitNoDatabase = 3;  // the database could not be opened

// An action of the parameter string; returns the exit status.
using Action = int (*)(const Parameters& params);

int ActionErstellen(const Parameters& params);
int ActionEinlesen(const Parameters& params);
int ActionSupport(const Parameters& params);
int ActionConvert(const Parameters& params);

// SUPPORT without a window: says that the request needs a display and
// returns kExitFailed.
int SupportWithoutDisplay(const std::string& address);

// The usage text on standard error; returns kExitUsage.
int ShowUsage();
// The main window's label; without a window it goes to standard error.
void ShowLabel(const std::string& text);
// A message box of the launcher (title "Note"); in console mode it goes to
// standard error in the library's "[Title] text" form.
void ShowNote(const std::string& text);

}  // namespace start
