#pragma once

// The one exception trap of the public entries (clsXRechnung, clsXConverter,
// the C ABI) and of the windows' handlers. Callers get a result, never an
// exception: whatever the body throws is reported to the user the way the
// entry describes, and the entry gives its failure result.

#include <exception>
#include <string>
#include <type_traits>

#include "messages/Messages.h"

namespace belvora::ui {

// Runs body(). When it throws, report(std::current_exception()) shows the
// entry's message and the result is the failure value of the body's type
// (false, 0, nullptr; nothing for void). Nothing escapes, not even from the
// report itself.
template <typename Report, typename Body>
auto Trap(Report&& report, Body&& body) noexcept -> std::invoke_result_t<Body&> {
  using Result = std::invoke_result_t<Body&>;
  try {
    return body();
  } catch (...) {
    try {
      report(std::current_exception());
    } catch (...) {
      // The user interface itself failed: there is no one left to tell.
    }
    if constexpr (!std::is_void_v<Result>) return Result{};
  }
}

// What an error says about itself; "unknown error" when it is no
// std::exception.
inline std::string DescriptionOf(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
  }
  return messages::kUnknownError;
}

}  // namespace belvora::ui
