#include "core/datetime_text.h"

#include <gtest/gtest.h>

namespace assoc {
namespace {

TEST(DateTimeText, ShowsTheTimeDownToItsLastNonZeroPart)
{
    const struct {
        int year, month, day, hour, minute, second;
        const char* text;
    } cases[] = {
        {2024, 3, 5, 8, 5, 9, "2024年3月5日8时5分9秒"},
        {2024, 1, 1, 0, 0, 1, "2024年1月1日0时0分1秒"},
        {2024, 12, 31, 23, 59, 0, "2024年12月31日23时59分"},
        {2024, 3, 5, 0, 1, 0, "2024年3月5日0时1分"},
        {2024, 3, 5, 17, 0, 0, "2024年3月5日17时"},
        {2024, 3, 5, 1, 0, 0, "2024年3月5日1时"},
        {2024, 3, 5, 0, 0, 0, "2024年3月5日"},
        {1899, 12, 30, 0, 0, 0, "1899年12月30日"},
        {2010, 10, 10, 10, 10, 10, "2010年10月10日10时10分10秒"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(date_time_text(c.year, c.month, c.day, c.hour, c.minute, c.second), c.text);
    }
}

}  // namespace
}  // namespace assoc
