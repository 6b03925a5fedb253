#pragma once

#include <chrono>
#include <optional>

namespace belvora::sys {

// Today's local date. Tests pin it so that documents are byte-stable.
std::chrono::year_month_day today();
void setTodayForTesting(std::optional<std::chrono::year_month_day> fixed);

}  // namespace belvora::sys
