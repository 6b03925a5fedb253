#pragma once

#include <exception>
#include <string>

namespace belvora::session {

// The parts of the catch-all message: a stable number per error class
// (the system's code for system errors, otherwise 1), the description, the
// last system error code (0 when the error did not come from the system)
// and the source.
struct ErrorReport {
  int number = 1;
  std::string description;
  int systemCode = 0;
};

ErrorReport DescribeError(std::exception_ptr error);

// "An error has occurred: " number, description, system code and source,
// one per line.
std::string ErrorInDllText(const ErrorReport& report);
// Shows the catch-all message box ("Error in DLL", critical icon).
void ShowErrorInDll(std::exception_ptr error);

// "Connect to database failed." with the interface's description.
std::string ConnectFailedText(const std::string& description);
// Shows it for an error of DLL_Init_DB (title "Note", information icon).
void ShowConnectFailed(std::exception_ptr error);

}  // namespace belvora::session
