#include "core/datetime_text.h"

namespace assoc {

std::string date_time_text(int year, int month, int day, int hour, int minute, int second)
{
    using std::to_string;
    std::string text = to_string(year) + "年" + to_string(month) + "月" + to_string(day) + "日";
    if (second != 0) {
        text += to_string(hour) + "时" + to_string(minute) + "分" + to_string(second) + "秒";
    } else if (minute != 0) {
        text += to_string(hour) + "时" + to_string(minute) + "分";
    } else if (hour != 0) {
        text += to_string(hour) + "时";
    }
    return text;
}

}  // namespace assoc
