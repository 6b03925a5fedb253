#pragma once

#include <string>

namespace belvora::fuzz {

// A private folder for everything a target writes; TMPDIR points into it,
// so the work file of the PDF extraction lands there too.
const std::string& scratchDir();

// Silences every message box and question of the library.
void installSilentInteraction();

}  // namespace belvora::fuzz
