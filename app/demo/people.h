#pragma once
// Synthetic but plausible Singapore companies and staff for the demo installation: names of the island's
// communities and of foreign staff, identity numbers of the right series with their check letters, work
// passes, addresses, organisation codes, pay and bank details. Everything comes from the caller's Random, so
// the same seed gives the same people.

#include <optional>
#include <string>
#include <vector>

#include "app/demo/random.h"
#include "support/calendar.h"
#include "support/currency.h"

namespace kv::demo {

struct DemoCompany {
  std::string code;  // "DEMO01"
  std::string name;  // "Jurong Precision Engineering Pte Ltd"
  std::string address1, address2, address3, postalCode;
  std::string telephone, fax, email;
  std::string registrationNo;   // the business registration number (UEN)
  std::string cpfSubmissionNo;  // UEN + "PTE" + "01"
  std::string bankId, bankBranch, bankAccount;
  bool paysThirteenthMonth = false;  // an annual wage supplement in December
};

// Company number (0-based) among `count`, with its code "DEMO01", "DEMO02" ... ("DEMO100" past 99).
DemoCompany MakeCompany(int number, Random& random);
std::string CompanyCode(int number);

enum class Residency { Citizen, PermanentResident, Foreigner };

struct DemoEmployee {
  std::string empNo;  // "E0001"
  std::string name, alias;
  char sex = 'M';
  std::string title;  // "MR", "MS", "MDM", "MRS"
  Date birthDate;
  std::string race, religion;
  char maritalStatus = 'S';
  Residency residency = Residency::Citizen;
  std::string nationality;  // IRAS nationality code: "301" citizen, "300" PR, "304" Malaysian, ...
  std::optional<Date> prDate;
  std::string nric;         // "S"/"T" series for citizens and PRs, empty for foreigners
  std::string fin;          // "F"/"G" series for foreigners, empty otherwise
  std::string passType;     // "EP", "SP", "WP" for foreigners
  std::optional<Date> passIssued, passExpires;
  std::string passportNo;
  std::optional<Date> passportExpires;
  std::string incomeTaxNo;  // the NRIC, the FIN, or empty (a FIN not copied yet)
  std::string address1, address2, address3, postalCode;
  std::string telephone, mobile, email;
  Date hired, confirmed;
  std::optional<Date> terminated;
  std::string terminationReason;
  std::string division, department, section, costCentre, category, jobGrade, occupation, location, payGroup;
  Currency basicSalary;     // monthly, SGD
  std::string bankId, bankBranch, bankAccount;
  char payMode = 'B';       // B bank, C cheque, H cash
  std::string cpfCategory;  // "SC", "PR", "FW"
  std::string fundCode;     // self-help group fund: "CDAC", "MBMF", "SINDA", "ECF", or empty
  bool supervisor = false;
  std::string supervisorCode;
  std::string spouseName, spouseNric, spouseJob, spousePhone;
  std::optional<Date> spouseBirthDate;
  std::string emergencyContact, emergencyRelation, emergencyPhone;
  int children = 0;
};

// `count` employees of a company, numbered E0001 onwards, as the company's payroll stands at `asOf`.
std::vector<DemoEmployee> MakeEmployees(int count, Date asOf, Random& random);

// Age in whole years on a day.
int AgeOn(Date birth, Date day);

}  // namespace kv::demo
