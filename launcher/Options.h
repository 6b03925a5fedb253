#pragma once

namespace start {

// "--help" / "-h" print the usage on standard output, "--version" the
// version of the program and of the library it loaded; both end with 0.
// Returns -1 when the arguments are no such option (a parameter string).
int HandleOption(int argc, char** argv);

}  // namespace start
