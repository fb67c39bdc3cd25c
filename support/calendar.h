#pragma once
// Dates and date-times as the suite keeps them, with the calendar arithmetic the upgrade steps use.
// A Date is a day number counted from 30 December 1899 (day 0), the suite's own epoch, so day arithmetic is
// plain integer arithmetic and dates order as their numbers do.

#include <compare>
#include <cstdint>
#include <string>

namespace kv {

bool LeapYear(int year);

// Days in the month (1..12) of the year; February has 29 in a leap year. Throws std::out_of_range for a month
// outside 1..12.
int MonthDays(int year, int month);

class Date {
 public:
  constexpr Date() = default;
  static Date FromSerial(std::int32_t serial) { return Date(serial); }
  // Throws std::out_of_range for a day that is not in the calendar (31 April, month 13, year 0).
  static Date FromYmd(int year, int month, int day);
  static bool IsValidYmd(int year, int month, int day);
  static Date Today();

  std::int32_t Serial() const { return serial_; }
  int Year() const;
  int Month() const;
  int Day() const;
  // 1 = Monday ... 7 = Sunday.
  int IsoWeekday() const;

  Date AddDays(std::int32_t days) const { return Date(serial_ + days); }
  std::int32_t operator-(Date other) const { return serial_ - other.serial_; }
  auto operator<=>(const Date&) const = default;

 private:
  constexpr explicit Date(std::int32_t serial) : serial_(serial) {}
  std::int32_t serial_ = 0;
};

// The date of the last day of the same month.
Date MonthEnd(Date date);

class DateTime {
 public:
  static constexpr std::int64_t kMsPerDay = 86'400'000;

  constexpr DateTime() = default;
  DateTime(Date date, int hour = 0, int minute = 0, int second = 0, int millisecond = 0);
  static DateTime FromMilliseconds(std::int64_t msSinceEpoch) { return DateTime(msSinceEpoch); }
  // The host's local time now.
  static DateTime Now();
  // Seconds since the Unix epoch in UTC, turned into the host's local time.
  static DateTime FromUnixLocal(std::int64_t unixSeconds);

  Date DatePart() const;
  std::int32_t MillisecondOfDay() const;
  int Hour() const { return MillisecondOfDay() / 3'600'000; }
  int Minute() const { return MillisecondOfDay() / 60'000 % 60; }
  int Second() const { return MillisecondOfDay() / 1000 % 60; }
  int Millisecond() const { return MillisecondOfDay() % 1000; }
  std::int64_t Milliseconds() const { return ms_; }

  DateTime AddDays(std::int32_t days) const { return DateTime(ms_ + days * kMsPerDay); }
  auto operator<=>(const DateTime&) const = default;

 private:
  constexpr explicit DateTime(std::int64_t ms) : ms_(ms) {}
  std::int64_t ms_ = 0;
};

// "10 Dec 2026": the window caption's date.
std::string FormatCaptionDate(Date date);

// The long date of the tool's fixed locale (English month names, day first): "10 December 2026". The host has
// no system long-date format of the suite's home platform, so this one is fixed and documented in
// docs/formats.md.
std::string FormatLongDate(Date date);

// The backup archives' stamp, pattern "ddddddhhss AMPM": long date, the hour on the 12-hour clock in two digits,
// the seconds in two digits (no minutes), a blank, then "AM" or "PM". 10 Dec 2026 14:05:09 gives
// "10 December 20260209 PM".
std::string FormatBackupStamp(DateTime when);

// "2026-12-10", and "2026-12-10 14:05:09.000": the engine shell's and the logs' neutral forms.
std::string FormatIsoDate(Date date);
std::string FormatIsoDateTime(DateTime when);

}  // namespace kv
