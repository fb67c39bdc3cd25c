#pragma once
// One company folder of the demo installation: the suite tables of an 8.50 company with their rows, and the
// leftovers of earlier work (backup and editor copies, a work table) that the run's clean-up steps remove,
// beside a table of the company's own that they must leave alone.

#include <string>
#include <vector>

#include "app/demo/people.h"
#include "app/demo/random.h"

namespace kv::demo {

struct CompanyContent {
  // The tables made, as the engine knows them ("EMPLOYEE", "SYSCONT.ADT"), in the order made.
  std::vector<std::string> tables;
  // Of those, the ones encrypted: with the table password in a free-table company, or to be encrypted by the
  // dictionary in a dictionary company.
  std::vector<std::string> encrypted;
  int historyRows = 0;  // payroll history rows written
};

// Makes the company's tables in `folder` (a suite path without a trailing separator). In a free-table company
// (`forDictionary` false) the encrypted tables get the table password; for a company that will live under a
// dictionary every table is made clear and `encrypted` names those the dictionary is to encrypt. With
// `olderColumnLayouts` every table the release's column lists change is made too, in its older layout
// (older_layouts.h), the core tables included; without, only the core tables in their own layouts.
CompanyContent MakeCompanyTables(const std::string& folder, const DemoCompany& company,
                                 const std::vector<DemoEmployee>& staff, bool forDictionary, int freeCompanyNumber,
                                 Random& random, bool olderColumnLayouts = true);

// The leftovers of earlier work in the folder (made after the tables, since some are copies of their files).
void MakeCompanyLeftovers(const std::string& folder, const std::vector<DemoEmployee>& staff);

// The periods of the payroll history: a year and a month up to the release's last payroll, and one older month.
inline constexpr const char* kFirstHistoryPeriod = "200812";
// One month kept from long before: the upgrade's history update starts after it, at "200701".
inline constexpr const char* kOldHistoryPeriod = "200612";
inline constexpr const char* kLastHistoryPeriod = "200912";
// The day the installation's data stand at.
Date DemoAsOf();

}  // namespace kv::demo
