#pragma once

#include <string>

namespace assoc {

// "2024年3月5日" followed by the time of day down to its last non-zero part:
// "8时5分9秒", "8时5分", "8时" or nothing at midnight. No leading zeros. UTF-8.
std::string date_time_text(int year, int month, int day, int hour, int minute, int second);

}  // namespace assoc
