// The shared library is assembled from the area libraries; its exported
// surface is the public header and the C ABI (see include/belvora/), held to
// that by belvora.map.
#include "belvora/belvora.h"
#include "belvora/version.h"

extern "C" const char* belvora_version(void) { return BELVORA_VERSION_STRING; }

std::string belvora::LibraryVersion() { return BELVORA_VERSION_STRING; }
