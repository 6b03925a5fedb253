// The shared library is assembled from the area libraries; its exported
// surface is the public header and the C ABI (see include/belvora/), held to
// that by belvora.map.
#include "belvora/belvora.h"
#include "belvora/version.h"

#if BELVORA_WITH_QT
#include "dialogs/Windows.h"

namespace {
// Registers the windows when the library is loaded; no window and no Qt
// application exists before one is asked for.
[[maybe_unused]] const bool kWindowsRegistered = (belvora::dialogs::RegisterWindows(), true);
}  // namespace
#endif

extern "C" const char* belvora_version(void) { return BELVORA_VERSION_STRING; }

std::string belvora::LibraryVersion() { return BELVORA_VERSION_STRING; }
