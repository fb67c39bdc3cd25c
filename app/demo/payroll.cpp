#include "app/demo/payroll.h"

#include <algorithm>
#include <cmath>

namespace kv::demo {
namespace {

Currency Money(double amount) { return Currency::FromDouble(std::round(amount * 100.0) / 100.0); }
double Dollars(Currency c) { return c.ToDouble(); }

struct CpfRate {
  int ageAbove;  // the band applies above this age
  double employee, employer;
};
// Contribution rates of 2009 for citizens and permanent residents from their third year, by age.
constexpr CpfRate kCpfRates[] = {{65, 0.05, 0.035}, {60, 0.075, 0.035}, {55, 0.125, 0.06}, {50, 0.18, 0.10},
                                 {0, 0.20, 0.145}};
constexpr double kOrdinaryWageCeiling = 4500.0;

struct FundBand {
  double upTo;  // monthly total wages
  double amount;
};
// Self-help group contributions by monthly wages (the last band has no upper end).
constexpr FundBand kCdac[] = {{2000, 0.50}, {3500, 1.00}, {5000, 1.50}, {7500, 2.00}, {1e12, 3.00}};
constexpr FundBand kMbmf[] = {{1000, 2.00}, {2000, 3.50}, {3000, 5.00}, {4000, 12.50}, {1e12, 16.00}};
constexpr FundBand kSinda[] = {{600, 1.00}, {1500, 3.00}, {2500, 5.00}, {4500, 7.00}, {7500, 9.00}, {1e12, 12.00}};
constexpr FundBand kEcf[] = {{1000, 2.00}, {1500, 4.00}, {2500, 6.00}, {4000, 9.00}, {7000, 12.00}, {1e12, 16.00}};

template <std::size_t N>
double FundFor(const FundBand (&bands)[N], double wages) {
  for (const FundBand& b : bands)
    if (wages <= b.upTo) return b.amount;
  return bands[N - 1].amount;
}

double Fund(const std::string& code, double wages) {
  if (code == "CDAC") return FundFor(kCdac, wages);
  if (code == "MBMF") return FundFor(kMbmf, wages);
  if (code == "SINDA") return FundFor(kSinda, wages);
  if (code == "ECF") return FundFor(kEcf, wages);
  return 0;
}

int WeekdaysIn(int year, int month) {
  int days = 0;
  for (int d = 1; d <= MonthDays(year, month); ++d)
    if (Date::FromYmd(year, month, d).IsoWeekday() <= 5) ++days;
  return days;
}

std::string PeriodText(int year, int month) {
  return std::to_string(year) + (month < 10 ? "0" : "") + std::to_string(month);
}

}  // namespace

std::vector<Allowance> MakeAllowances(const DemoEmployee& e, Random& random) {
  std::vector<Allowance> list;
  if (e.category == "WORKER") {
    if (random.Percent(60)) list.push_back({"SHIFT", "SHIFT ALLOWANCE", Money(static_cast<double>(random.Between(8, 20)) * 10)});
    if (random.Percent(50)) list.push_back({"MEAL", "MEAL ALLOWANCE", Money(static_cast<double>(random.Between(6, 12)) * 10)});
  } else if (e.category == "MGMT") {
    list.push_back({"CAR", "CAR ALLOWANCE", Money(static_cast<double>(random.Between(6, 15)) * 100)});
    if (e.residency == Residency::Foreigner) list.push_back({"HOUSING", "HOUSING ALLOWANCE", Money(static_cast<double>(random.Between(15, 35)) * 100)});
  } else {
    if (random.Percent(55)) list.push_back({"TRANS", "TRANSPORT ALLOWANCE", Money(static_cast<double>(random.Between(5, 20)) * 10 + 50)});
    if (random.Percent(20)) list.push_back({"PHONE", "HANDPHONE ALLOWANCE", Money(static_cast<double>(random.Between(3, 8)) * 10)});
  }
  return list;
}

std::vector<PayslipRow> MakePayHistory(const DemoEmployee& e, const std::vector<Allowance>& allowances,
                                       bool thirteenthMonth, const std::string& first, const std::string& last,
                                       Random& random) {
  std::vector<PayslipRow> rows;
  int year = std::stoi(first.substr(0, 4));
  int month = std::stoi(first.substr(4, 2));
  const int lastYear = std::stoi(last.substr(0, 4));
  const int lastMonth = std::stoi(last.substr(4, 2));
  double fixedAllowances = 0;
  for (const Allowance& a : allowances) fixedAllowances += Dollars(a.amount);
  // The January increment of about four percent: before it the pay stood lower, in whole tens of dollars.
  const double currentBasic = Dollars(e.basicSalary);
  const double earlierBasic = std::round(currentBasic / 1.04 / 10.0) * 10.0;

  for (; year < lastYear || (year == lastYear && month <= lastMonth); month == 12 ? (month = 1, ++year) : ++month) {
    const Date monthStart = Date::FromYmd(year, month, 1);
    const Date monthEnd = MonthEnd(monthStart);
    if (e.hired > monthEnd) continue;
    if (e.terminated && *e.terminated < monthStart) continue;
    const Date from = std::max(e.hired, monthStart);
    const Date to = e.terminated ? std::min(*e.terminated, monthEnd) : monthEnd;
    const double share = static_cast<double>(to - from + 1) / static_cast<double>(monthEnd - monthStart + 1);

    PayslipRow r;
    r.period = PeriodText(year, month);
    const double fullBasic = year >= 2009 ? currentBasic : earlierBasic;
    const double daily = fullBasic * 12.0 / 261.0;
    const double hourly = fullBasic * 12.0 / (52.0 * 44.0);
    r.payDays = std::round(WeekdaysIn(year, month) * share * 10.0) / 10.0;
    r.dailyRate = Money(daily);
    r.hourlyRate = Money(hourly);
    r.basic = Money(fullBasic * share);
    double unpaid = 0;
    if (random.Percent(6)) unpaid = daily * static_cast<double>(random.Between(1, 3));
    r.unpaidLeave = Money(unpaid);
    double overtime = 0;
    if (e.category == "WORKER" || e.category == "STAFF")
      overtime = hourly * 1.5 * static_cast<double>(random.Between(0, e.category == "WORKER" ? 40 : 12));
    r.overtime = Money(overtime);
    r.allowances = Money(fixedAllowances * share);
    double bonus = 0;
    if (month == 12 && thirteenthMonth && !e.terminated) {
      const int monthsServed = std::clamp((year - e.hired.Year()) * 12 + 12 - e.hired.Month() + 1, 1, 12);
      bonus = fullBasic * monthsServed / 12.0;
    }
    const double ordinary = Dollars(r.basic) - Dollars(r.unpaidLeave) + Dollars(r.overtime) + Dollars(r.allowances);
    r.ordinaryWage = Money(ordinary);
    r.additionalWage = Money(bonus);
    r.gross = Money(ordinary + bonus);
    const double total = Dollars(r.gross);

    double employee = 0, employer = 0;
    if (e.residency != Residency::Foreigner) {
      const int age = AgeOn(e.birthDate, monthStart);
      const CpfRate* rate = &kCpfRates[std::size(kCpfRates) - 1];
      for (const CpfRate& band : kCpfRates)
        if (age > band.ageAbove) {
          rate = &band;
          break;
        }
      const double wage = std::min(Dollars(r.ordinaryWage), kOrdinaryWageCeiling) + bonus;
      // A hair above the product, so that an exact half dollar computed as 1552.4999... rounds up as it should.
      constexpr double kHair = 1e-6;
      double contribution = std::round(wage * (rate->employee + rate->employer) + kHair);
      employee = std::floor(wage * rate->employee + kHair);
      // Low wages: the employee's share is phased in between $500 and $1,500.
      if (total <= 500) {
        employee = 0;
        contribution = std::round(wage * rate->employer + kHair);
      } else if (total < 1500) {
        employee = std::min(employee, std::floor(0.6 * (total - 500)));
        contribution = employee + std::round(wage * rate->employer + kHair);
      }
      employer = contribution - employee;
      r.cpfWage = Money(wage);
    }
    r.cpfEmployee = Money(employee);
    r.cpfEmployer = Money(employer);
    r.totalCpf = Money(employee + employer);
    r.foreignWorkerLevy = Money(e.passType == "WP" ? (Dollars(e.basicSalary) > 1600 ? 170.0 : 230.0) * share
                                : e.passType == "SP" ? 150.0 * share : 0.0);
    r.skillsLevy = Money(std::clamp(std::min(total, kOrdinaryWageCeiling) * 0.0025, 2.0, 11.25));
    const double fund = e.residency == Residency::Foreigner ? 0.0 : Fund(e.fundCode, total);
    r.fund = Money(fund);
    r.deductions = Money(fund);
    r.nett = Money(total - employee - fund);
    rows.push_back(std::move(r));
  }
  return rows;
}

}  // namespace kv::demo
