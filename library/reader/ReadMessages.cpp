#include "reader/ReadMessages.h"

namespace belvora::reader {

std::string Say(const ReadText& text, std::string_view language,
                std::initializer_list<std::string_view> values) {
  const std::string_view pattern = language == "DE" ? text.de : text.en;
  std::string out;
  out.reserve(pattern.size() + 64);
  auto value = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.compare(i, 2, "{}") == 0 && value != values.end()) {
      out += *value++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace belvora::reader
