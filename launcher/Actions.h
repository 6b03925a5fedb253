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

// The usage window (in console mode the usage text on standard error);
// returns kExitUsage.
int ShowUsage();
// The main window's label; without a window it goes to standard error.
void ShowLabel(const std::string& text);
// A message box of the launcher ("Note", information icon); without a
// window it goes to standard error as "[Note] text".
void ShowNote(const std::string& text);
// An error that ended an action ("Start", critical icon); without a window
// on standard error as "[Start] text".
void ShowError(const std::string& text);
// Shows the main window with its label and the Close button until the
// user closes it; nothing without a window.
void WaitForClose();

}  // namespace start
