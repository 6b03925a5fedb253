// Replaced by the reader entry; kept minimal so the library links meanwhile.
#include "belvora/clsXConverter.h"

namespace belvora {
struct clsXConverter::Impl {};
clsXConverter::clsXConverter() : impl_(std::make_unique<Impl>()) {}
clsXConverter::~clsXConverter() = default;
bool clsXConverter::XConverter(const std::string&, const std::string&, const std::string&,
                               const std::string&, const std::string&, bool) {
  return false;
}
}  // namespace belvora
