#pragma once
// A year or so of monthly payroll history for one employee, worked out by the rules of 2009: CPF at the
// contribution rates for the employee's age on the ordinary-wage ceiling of $4,500, the skills development
// levy, the foreign worker levy for pass holders, the self-help group funds, overtime for workers and the
// annual wage supplement in December.

#include <string>
#include <vector>

#include "app/demo/people.h"
#include "app/demo/random.h"
#include "support/currency.h"

namespace kv::demo {

struct Allowance {
  std::string code, description;
  Currency amount;  // a month
};

// The employee's fixed allowances (none, one or two).
std::vector<Allowance> MakeAllowances(const DemoEmployee& e, Random& random);

struct PayslipRow {
  std::string period;  // "200912"
  double payDays = 0;
  Currency dailyRate, hourlyRate, basic, unpaidLeave, absence, overtime, allowances, deductions;
  Currency gross, cpfWage, ordinaryWage, additionalWage, cpfEmployee, cpfEmployer, totalCpf;
  Currency foreignWorkerLevy, skillsLevy, fund, nett;
};

// The months from `first` to `last` ("YYYYMM", both included) in which the employee was on the payroll.
std::vector<PayslipRow> MakePayHistory(const DemoEmployee& e, const std::vector<Allowance>& allowances,
                                       bool thirteenthMonth, const std::string& first, const std::string& last,
                                       Random& random);

}  // namespace kv::demo
