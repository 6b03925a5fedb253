#include "session/CreationMessages.h"

#include <algorithm>
#include <cstdlib>

#include "platform/sys/Ascii.h"
#include "session/Messages.h"

namespace belvora::session {

bool GermanMessages() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return ascii::StartsWithNoCase(value, "de");
  }
  return false;
}

std::string ViolationsTitle(bool german) { return german ? text::kTitleNoteDe : text::kTitleNote; }

std::string ViolationsMessage(const std::vector<model::Violation>& violations, bool german) {
  const std::size_t listed = std::min(violations.size(), kMaxViolationsListed);
  std::string list = model::ViolationsText(
      std::vector<model::Violation>(violations.begin(), violations.begin() + listed), german);
  std::string out = german ? text::kRulesBrokenDe : text::kRulesBroken;
  out += text::kLineBreak;
  // One line break style in the message.
  for (char c : list) {
    if (c == '\n')
      out += text::kLineBreak;
    else
      out += c;
  }
  if (listed < violations.size()) {
    const std::string more = std::to_string(violations.size() - listed);
    const std::string all = std::to_string(violations.size());
    out += text::kLineBreak;
    out += german ? "... und " + more + " weitere (" + all + " insgesamt)"
                  : "... and " + more + " more (" + all + " in all)";
  }
  out += text::kLineBreak;
  out += german ? text::kCheckSourceDe : text::kCheckSource;
  return out;
}

std::string NoRowsText(const std::string& selector) {
  if (selector.empty()) return text::kNoRows;
  return std::string(text::kNoRowsForSelector) + "\"" + selector + "\".";
}

}  // namespace belvora::session
