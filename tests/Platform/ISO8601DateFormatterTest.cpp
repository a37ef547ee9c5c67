#include <gtest/gtest.h>

#include <cmath>

#include "Platform/Foundation/ISO8601DateFormatter.h"

using platform::Date;
using platform::ISO8601DateFormatter;

TEST(ISO8601DateFormatter, WritesUTCWithoutFractionalSeconds) {
  const ISO8601DateFormatter formatter;
  EXPECT_EQ(formatter.stringFromDate(Date::fromTimeIntervalSinceReferenceDate(0)), "2001-01-01T00:00:00Z");
  EXPECT_EQ(formatter.stringFromDate(Date{1796495988.75}), "2026-12-05T18:39:48Z");
  EXPECT_EQ(formatter.stringFromDate(Date{951782400}), "2000-02-29T00:00:00Z");
  EXPECT_EQ(formatter.stringFromDate(Date{-0.5}), "1969-12-31T23:59:59Z");  // towards the past
  EXPECT_EQ(formatter.stringFromDate(Date{1e300}), "9999-12-31T23:59:59Z");
  EXPECT_EQ(formatter.stringFromDate(Date{std::nan("")}), "0000-01-01T00:00:00Z");
}

TEST(ISO8601DateFormatter, ReadsUTCAndZoneOffsets) {
  const ISO8601DateFormatter formatter;
  EXPECT_EQ(formatter.dateFromString("2001-01-01T00:00:00Z"), Date::fromTimeIntervalSinceReferenceDate(0));
  EXPECT_EQ(formatter.dateFromString("2026-12-05T20:39:48+02:00"), Date{1796495988});
  EXPECT_EQ(formatter.dateFromString("2026-12-05T13:09:48-05:30"), Date{1796495988});
  EXPECT_EQ(formatter.dateFromString("1969-12-31T23:59:59Z"), Date{-1});
  for (const char* text : {"", "2001-01-01", "2001-01-01T00:00:00", "2001-01-01 00:00:00Z", "2001-01-01T00:00:00.5Z",
                           "2001-1-01T00:00:00Z", "2001-02-29T00:00:00Z", "2001-01-01T24:00:00Z",
                           "2001-01-01T00:00:60Z", "2001-01-01T00:00:00+0200", "2001-01-01T00:00:00Z "}) {
    EXPECT_FALSE(formatter.dateFromString(text)) << text;
  }
}
