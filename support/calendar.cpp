#include "support/calendar.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace kv {

namespace {

// The suite's day 0, 30 December 1899, as days since the Unix epoch.
constexpr std::int32_t kEpochOffset = -25569;

std::chrono::year_month_day ToCivil(std::int32_t serial) {
  return std::chrono::year_month_day{std::chrono::sys_days{std::chrono::days{serial + kEpochOffset}}};
}

constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

std::string TwoDigits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

}  // namespace

bool LeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int MonthDays(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) throw std::out_of_range("MonthDays: month " + std::to_string(month) + " is not 1 to 12");
  return (month == 2 && LeapYear(year)) ? 29 : kDays[month - 1];
}

bool Date::IsValidYmd(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= MonthDays(year, month);
}

Date Date::FromYmd(int year, int month, int day) {
  if (!IsValidYmd(year, month, day))
    throw std::out_of_range("not a calendar date: " + std::to_string(year) + "-" + std::to_string(month) + "-" +
                            std::to_string(day));
  const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                        std::chrono::day{static_cast<unsigned>(day)}};
  const auto days = std::chrono::sys_days{ymd}.time_since_epoch().count();
  return Date(static_cast<std::int32_t>(days - kEpochOffset));
}

Date Date::Today() { return DateTime::Now().DatePart(); }

int Date::Year() const { return static_cast<int>(ToCivil(serial_).year()); }
int Date::Month() const { return static_cast<int>(static_cast<unsigned>(ToCivil(serial_).month())); }
int Date::Day() const { return static_cast<int>(static_cast<unsigned>(ToCivil(serial_).day())); }

int Date::IsoWeekday() const {
  const std::chrono::weekday wd{std::chrono::sys_days{std::chrono::days{serial_ + kEpochOffset}}};
  return static_cast<int>(wd.iso_encoding());
}

Date MonthEnd(Date date) { return Date::FromYmd(date.Year(), date.Month(), MonthDays(date.Year(), date.Month())); }

DateTime::DateTime(Date date, int hour, int minute, int second, int millisecond)
    : ms_(static_cast<std::int64_t>(date.Serial()) * kMsPerDay + hour * 3'600'000LL + minute * 60'000LL +
          second * 1000LL + millisecond) {}

DateTime DateTime::FromUnixLocal(std::int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  localtime_r(&t, &local);
  return DateTime(Date::FromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday), local.tm_hour, local.tm_min,
                  local.tm_sec);
}

DateTime DateTime::Now() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  DateTime local = FromUnixLocal(ms / 1000);
  return DateTime(local.ms_ + ms % 1000);
}

Date DateTime::DatePart() const {
  std::int64_t days = ms_ / kMsPerDay;
  if (ms_ % kMsPerDay < 0) --days;
  return Date::FromSerial(static_cast<std::int32_t>(days));
}

std::int32_t DateTime::MillisecondOfDay() const {
  std::int64_t rest = ms_ % kMsPerDay;
  if (rest < 0) rest += kMsPerDay;
  return static_cast<std::int32_t>(rest);
}

std::string FormatCaptionDate(Date date) {
  return TwoDigits(date.Day()) + " " + std::string(kMonthNames[date.Month() - 1]).substr(0, 3) + " " +
         std::to_string(date.Year());
}

std::string FormatLongDate(Date date) {
  return TwoDigits(date.Day()) + " " + kMonthNames[date.Month() - 1] + " " + std::to_string(date.Year());
}

std::string FormatBackupStamp(DateTime when) {
  int hour12 = when.Hour() % 12;
  if (hour12 == 0) hour12 = 12;
  return FormatLongDate(when.DatePart()) + TwoDigits(hour12) + TwoDigits(when.Second()) + " " +
         (when.Hour() < 12 ? "AM" : "PM");
}

std::string FormatIsoDate(Date date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.Year(), date.Month(), date.Day());
  return text;
}

std::string FormatIsoDateTime(DateTime when) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %02d:%02d:%02d.%03d", FormatIsoDate(when.DatePart()).c_str(), when.Hour(),
                when.Minute(), when.Second(), when.Millisecond());
  return text;
}

}  // namespace kv
