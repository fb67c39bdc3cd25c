#include "support/calendar.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kv {
namespace {

TEST(Calendar, LeapYearsAndMonthDays) {
  EXPECT_EQ(MonthDays(2000, 2), 29);
  EXPECT_EQ(MonthDays(1900, 2), 28);
  EXPECT_EQ(MonthDays(2012, 2), 29);
  EXPECT_EQ(MonthDays(2011, 2), 28);
  EXPECT_EQ(MonthDays(2011, 4), 30);
  EXPECT_EQ(MonthDays(2011, 12), 31);
  EXPECT_THROW(MonthDays(2011, 13), std::out_of_range);
  EXPECT_THROW(MonthDays(2011, 0), std::out_of_range);
  EXPECT_TRUE(LeapYear(2400));
  EXPECT_FALSE(LeapYear(2100));
}

TEST(Calendar, MonthEnd) {
  EXPECT_EQ(MonthEnd(Date::FromYmd(2011, 2, 15)), Date::FromYmd(2011, 2, 28));
  EXPECT_EQ(MonthEnd(Date::FromYmd(2012, 2, 1)), Date::FromYmd(2012, 2, 29));
  EXPECT_EQ(MonthEnd(Date::FromYmd(2026, 12, 31)), Date::FromYmd(2026, 12, 31));
}

TEST(Date, SerialEpochAndArithmetic) {
  EXPECT_EQ(Date::FromYmd(1899, 12, 30).Serial(), 0);
  EXPECT_EQ(Date::FromYmd(1900, 1, 1).Serial(), 2);
  const Date d = Date::FromYmd(2012, 2, 28);
  EXPECT_EQ(d.AddDays(1), Date::FromYmd(2012, 2, 29));
  EXPECT_EQ(d.AddDays(2), Date::FromYmd(2012, 3, 1));
  EXPECT_EQ(Date::FromYmd(2013, 1, 1) - Date::FromYmd(2012, 1, 1), 366);
  EXPECT_EQ(d.Year(), 2012);
  EXPECT_EQ(d.Month(), 2);
  EXPECT_EQ(d.Day(), 28);
  EXPECT_EQ(Date::FromYmd(2026, 12, 10).IsoWeekday(), 4);  // a Thursday
  EXPECT_THROW(Date::FromYmd(2011, 4, 31), std::out_of_range);
}

TEST(DateTime, PartsAndFormats) {
  const DateTime t(Date::FromYmd(2026, 12, 10), 14, 5, 9, 250);
  EXPECT_EQ(t.DatePart(), Date::FromYmd(2026, 12, 10));
  EXPECT_EQ(t.Hour(), 14);
  EXPECT_EQ(t.Minute(), 5);
  EXPECT_EQ(t.Second(), 9);
  EXPECT_EQ(t.Millisecond(), 250);
  EXPECT_EQ(FormatCaptionDate(t.DatePart()), "10 Dec 2026");
  EXPECT_EQ(FormatCaptionDate(Date::FromYmd(2011, 2, 5)), "05 Feb 2011");
  EXPECT_EQ(FormatIsoDateTime(t), "2026-12-10 14:05:09.250");
  const DateTime before(Date::FromYmd(1899, 12, 29), 18);
  EXPECT_EQ(before.DatePart(), Date::FromYmd(1899, 12, 29));
  EXPECT_EQ(before.Hour(), 18);
}

TEST(DateTime, BackupStampUsesTwelveHourClockAndNoMinutes) {
  struct Case { int hour, minute, second; const char* expected; };
  const Case cases[] = {{14, 5, 9, "10 December 20260209 PM"},
                        {0, 30, 59, "10 December 20261259 AM"},
                        {12, 0, 0, "10 December 20261200 PM"},
                        {9, 59, 1, "10 December 20260901 AM"}};
  for (const Case& c : cases)
    EXPECT_EQ(FormatBackupStamp(DateTime(Date::FromYmd(2026, 12, 10), c.hour, c.minute, c.second)), c.expected);
}

}  // namespace
}  // namespace kv
