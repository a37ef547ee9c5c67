#include <gtest/gtest.h>

#include "Platform/URLLoading/Engine/HTTPDate.h"

using namespace platform;

namespace {

// 1994-11-06 08:49:37 UTC.
constexpr double november1994 = 784111777;

}  // namespace

TEST(HTTPDate, ReadsTheThreeFormsServersWrite) {
  for (const char* text : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                           "Sun Nov  6 08:49:37 1994", "06 nov 1994 08:49:37"}) {
    const auto date = parseHTTPDate(text);
    ASSERT_TRUE(date) << text;
    EXPECT_EQ(date->timeIntervalSince1970, november1994) << text;
  }
}

TEST(HTTPDate, TwoDigitYearsAndLeapDays) {
  EXPECT_EQ(parseHTTPDate("Thu, 01 Jan 70 00:00:00 GMT")->timeIntervalSince1970, 0);
  EXPECT_EQ(parseHTTPDate("01 Jan 69 00:00:00")->timeIntervalSince1970, 3124224000);
  EXPECT_EQ(parseHTTPDate("29 Feb 2000 12:00:00")->timeIntervalSince1970, 951825600);
  EXPECT_EQ(parseHTTPDate("01 Jan 1601 00:00:00")->timeIntervalSince1970, -11644473600);
}

TEST(HTTPDate, RefusesWhatIsNoDate) {
  for (const char* text :
       {"", "0", "-1", "Sun, 06 Nov 1994", "30 Feb 2001 00:00:00", "29 Feb 1900 00:00:00", "06 Nov 1600 08:49:37",
        "06 Nov 1994 24:00:00", "06 Nov 1994 08:60:00", "106 Nov 1994 1:2:3"}) {
    EXPECT_FALSE(parseHTTPDate(text)) << text;
  }
}
