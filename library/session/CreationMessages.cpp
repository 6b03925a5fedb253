#include "session/CreationMessages.h"

#include <algorithm>
#include <cstdlib>

#include "messages/Messages.h"
#include "platform/sys/Ascii.h"

namespace belvora::session {
namespace msg = messages;

bool GermanMessages() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return ascii::StartsWithNoCase(value, "de");
  }
  return false;
}

std::string ViolationsTitle(bool german) { return msg::Choose(msg::creation::kRulesTitle, german); }

std::string ViolationsMessage(const std::vector<model::Violation>& violations, bool german) {
  const std::size_t listed = std::min(violations.size(), kMaxViolationsListed);
  std::string list = model::ViolationsText(
      std::vector<model::Violation>(violations.begin(), violations.begin() + listed), german);
  std::string out = msg::Choose(msg::creation::kRulesBroken, german);
  out += msg::kLineBreak;
  // One line break style in the message.
  for (char c : list) {
    if (c == '\n')
      out += msg::kLineBreak;
    else
      out += c;
  }
  if (listed < violations.size()) {
    const std::string more = std::to_string(violations.size() - listed);
    const std::string all = std::to_string(violations.size());
    out += msg::kLineBreak;
    out += msg::Fill(msg::Choose(msg::creation::kMoreViolations, german), {more, all});
  }
  out += msg::kLineBreak;
  out += msg::Choose(msg::creation::kCheckSource, german);
  return out;
}

std::string NoRowsText(const std::string& selector) {
  if (selector.empty()) return msg::creation::kNoRows;
  return msg::Fill(msg::creation::kNoRowsForSelector, {selector});
}

}  // namespace belvora::session
