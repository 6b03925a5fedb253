#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace start {

// The parameter description of the usage window, every line followed by
// lineBreak.
std::string UsageDescription(std::string_view lineBreak);

// One example parameter string per kind of call, as the option buttons of
// the usage window offer them (0 ERSTELLEN (SQL), 1 EINLESEN, 2 SUPPORT,
// 3 ERSTELLEN (Procedure)). Paths are this machine's: the temporary folder
// and the template database.
struct UsageExample {
  std::string caption;             // "ERSTELLEN (SQL)", "EINLESEN", ...
  std::vector<std::string> lines;  // each shown followed by "|"
};
const std::vector<UsageExample>& UsageExamples();
std::string UsageExampleText(const UsageExample& example, std::string_view lineBreak);
// The example of an option button by its index; std::out_of_range past 3.
std::string UsageExampleText(size_t option, std::string_view lineBreak);

// Description and the four examples, for standard error.
std::string UsageText();

}  // namespace start
