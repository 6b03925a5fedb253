#pragma once

// The seam between the creation session and its dialogs, which live in the
// Qt part of the library. Without registered windows (or with the console
// interaction) each dialog has a console form.

#include <string>

#include "platform/settings/SettingsStore.h"

namespace belvora::session {

struct DialogWindows {
  // The parameter dialog on values already taken over from the caller: OK
  // writes the fields back and saves the query-parameter flag.
  bool (*parameter)(settings::SettingValues& values);
  // The support request with the recipient address filled in.
  bool (*support)(const std::string& address);
  bool (*about)();
};
// Each returns false, after a message, when its window cannot be opened.

void RegisterDialogWindows(const DialogWindows* windows);

// The registered windows when the current interaction shows windows, else
// nullptr.
const DialogWindows* ActiveDialogWindows();

// The console forms: the values, one per line under the dialog's captions
// (passwords of the connection string masked); the product, version and
// web address. (The support request's is ShowSupportWithoutDisplay.)
void ShowParameterOnConsole(const settings::SettingValues& values);
void ShowAboutOnConsole();

}  // namespace belvora::session
