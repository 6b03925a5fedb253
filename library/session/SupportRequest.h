#pragma once

#include <string>

namespace belvora::session {

// The support request where no window can be shown (console interaction):
// tells the user that it needs a display and where to write instead.
void ShowSupportWithoutDisplay(const std::string& email);

}  // namespace belvora::session
