#include "platform/sys/Clock.h"

#include <ctime>

namespace belvora::sys {
namespace {
std::optional<std::chrono::year_month_day>& pinned() {
  static std::optional<std::chrono::year_month_day> value;
  return value;
}
}  // namespace

std::chrono::year_month_day today() {
  if (pinned()) return *pinned();
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                     std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                     std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

void setTodayForTesting(std::optional<std::chrono::year_month_day> fixed) { pinned() = fixed; }

}  // namespace belvora::sys
