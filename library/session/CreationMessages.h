#pragma once

// The messages of a creation run that refuses its source: what the rules
// found, in the session's language.

#include <string>
#include <vector>

#include "model/Rules.h"

namespace belvora::session {

// German when the environment's message language (the first set of LC_ALL,
// LC_MESSAGES, LANG) starts with "de", English otherwise.
bool GermanMessages();

// At most this many violations are listed; the message says how many more.
inline constexpr std::size_t kMaxViolationsListed = 100;

// The title and text of the message for the violations of an invoice.
std::string ViolationsTitle(bool german);
std::string ViolationsMessage(const std::vector<model::Violation>& violations, bool german);

// "No rows were found for the selector ..." (or that the source returned no
// rows when there is no selector).
std::string NoRowsText(const std::string& selector);

}  // namespace belvora::session
