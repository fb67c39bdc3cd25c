#include "app/demo/setup_rows.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/demo/company_tables.h"
#include "app/demo/demo_row.h"
#include "support/strings.h"

namespace kv::demo {

namespace {

// The claim schemes, each named after a staff category (the suite's benefit scheme by default), as the company
// set them up with the older release: one MEDSCH row per scheme and claim code, numbered 1 onwards, the maximum
// on the row itself, and ten tiers of it in MEDTBL.
struct Claim {
  const char *scheme, *claim, *description;
  double maximum;
};
constexpr Claim kClaims[] = {
    {"STAFF", "OUTPT", "Outpatient (GP) visits", 400},     {"STAFF", "DENTAL", "Dental treatment", 200},
    {"STAFF", "SPEC", "Specialist consultation", 500},     {"EXEC", "OUTPT", "Outpatient (GP) visits", 800},
    {"EXEC", "DENTAL", "Dental treatment", 400},           {"EXEC", "SPEC", "Specialist consultation", 1000},
    {"EXEC", "HEALTH", "Health screening", 300},           {"MGMT", "OUTPT", "Outpatient (GP) visits", 1500},
    {"MGMT", "DENTAL", "Dental treatment", 800},           {"MGMT", "SPEC", "Specialist consultation", 2000},
    {"MGMT", "HEALTH", "Health screening", 600},           {"MGMT", "OPTICAL", "Spectacles and lenses", 300}};
constexpr int kTiersPerRow = 10;

// The tiered limits the newer set-up is built from: per scheme and claim code, `bands` bands of a bill of `step`
// dollars each, the n-th reimbursed up to n x `limit`. Specialist care for management has twelve bands, more than
// a set-up row has tiers.
struct Bands {
  const char *scheme, *claim;
  int bands;
  double step, limit;
};
constexpr Bands kBands[] = {
    {"STAFF", "OUTPT", 3, 50, 20},    {"STAFF", "DENTAL", 2, 100, 50},   {"STAFF", "SPEC", 1, 500, 200},
    {"EXEC", "OUTPT", 3, 50, 30},     {"EXEC", "DENTAL", 2, 100, 80},    {"EXEC", "SPEC", 2, 500, 300},
    {"EXEC", "HEALTH", 1, 300, 300},  {"MGMT", "OUTPT", 4, 50, 50},      {"MGMT", "DENTAL", 3, 100, 100},
    {"MGMT", "SPEC", 12, 250, 100},   {"MGMT", "HEALTH", 1, 600, 600},   {"MGMT", "OPTICAL", 1, 300, 300}};

}  // namespace

void WriteClaimSchemes(engine::TAdsTable& t) {
  int trnno = 0;
  for (const Claim& c : kClaims) {
    ++trnno;
    Row r(t);
    r.Text("SCHEME_CODE", c.scheme)
        .Text("CLAIM_CODE", c.claim)
        .Text("TRNNO", std::to_string(trnno))
        .Money("SUBLIMIT", Dollars(0))
        .Text("DESC", c.description)
        .Money("MAX_CLAIM", Dollars(c.maximum));
    // The claim type came with a later release: schemes set up before it have none.
    if (trnno % 2 == 0) r.Text("CLAIMTYPE", "0");
    r.Post();
  }
}

void WriteClaimTiers(engine::TAdsTable& t) {
  // Each scheme row's ten tiers, the first holding its maximum.
  int trnno = 0;
  for (const Claim& c : kClaims) {
    ++trnno;
    for (int tier = 1; tier <= kTiersPerRow; ++tier)
      Row(t).Text("TRNNO", std::to_string(trnno)).Number("ID", tier)
          .Money("MAX_CLAIM", Dollars(tier == 1 ? c.maximum : 0)).Post();
  }
  // Tiers whose scheme row was deleted long ago, numbered as the rebuild numbers its first row.
  for (int tier = 1; tier <= kTiersPerRow; ++tier)
    Row(t).Text("TRNNO", "111").Number("ID", tier).Money("MAX_CLAIM", Dollars(tier <= 2 ? 75 : 0))
        .Money("TO", Dollars(999)).Post();
}

void WriteClaimSources(engine::TAdsTable& t) {
  for (const Bands& b : kBands)
    for (int n = 1; n <= b.bands; ++n)
      Row(t).Text("CATEGORY", b.scheme).Text("MEDICAL_CODE", b.claim).Number("ID", n)
          .Money("MAX_CLAIM", Dollars(n * b.limit)).Money("FROM", Dollars((n - 1) * b.step))
          .Money("TO", Dollars(n * b.step - 0.01)).Post();
}

void WriteClaimAllocations(engine::TAdsTable& t) {
  struct Allocation {
    const char *claim, *code, *description;
    double maximum;
  };
  static constexpr Allocation kAllocations[] = {{"OUTPT", "GP", "General practitioner", 30},
                                                {"OUTPT", "TCM", "Traditional Chinese medicine", 25},
                                                {"DENTAL", "SCALE", "Scaling and polishing", 80},
                                                {"SPEC", "PHYSIO", "Physiotherapy", 60}};
  for (const Allocation& a : kAllocations)
    Row(t).Text("MEDICAL", a.claim).Text("CODE", a.code).Text("DESC", a.description)
        .Money("MAX_CLAIM", Dollars(a.maximum)).Post();
}

void WriteListValues(engine::TAdsTable& t) {
  // The daily-rate bases the older release wrote as "DR" + days, which the release writes "D" + days.
  static constexpr const char* kValues[][2] = {{"RATEBASIS", "DR5"}, {"RATEBASIS", "DR6"}, {"RATEBASIS", "D5"},
                                               {"RATEBASIS", "HOURLY"}, {"PAYMODE", "BANK"}, {"PAYMODE", "CHEQUE"}};
  for (const auto& v : kValues) Row(t).Text("LIST_NAME", v[0]).Text("VALUE", v[1]).Post();
}

void WriteLeaveEntitlements(engine::TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (const DemoEmployee& e : staff) {
    if (e.terminated) continue;
    const int annual = 14 + std::min(7, AgeOn(e.hired, DemoAsOf()));
    for (const auto& [code, days] : {std::pair{"AL", annual}, std::pair{"SL", 14}})
      Row(t).Text("EMP_NO", e.empNo).Text("LEAVE_CODE", code).Text("YEAR", "2009").Money("ENTITLE", Dollars(days))
          .Money("CURRENT", Dollars(days)).Post();
  }
}

void WriteTaxRows(engine::TAdsTable& t, std::string_view table, const std::vector<DemoEmployee>& staff) {
  for (const DemoEmployee& e : staff) {
    const Currency yearly = Currency::FromScaled(e.basicSalary.Scaled() * 12);
    const bool manager = e.category == "MGMT";
    // Benefits in kind for managers; refunds for foreigners who left.
    if (SameText(table, "IRDX8A") && !manager) continue;
    if (SameText(table, "IRREFUND") && !(e.terminated && e.residency == Residency::Foreigner)) continue;
    Row(t).Text("EMPCODE", e.empNo).Text("YEAR", "2009").Text("TYPE", "O").Money("GROSS_SALARY", yearly)
        .Money("BONUS", e.basicSalary).Money("AVRENT_EMPLOYEE", Dollars(manager ? 24000 : 0)).Money("ORD_WAGE", yearly)
        .Day("SUBMITTED", Date::FromYmd(2010, 2, 26)).Text("STATUS", "S").Money("REFUND_AMT", Dollars(180))
        .Day("REFUND_DATE", e.terminated).Post();
  }
}


void WriteIncomeTaxBands(engine::TAdsTable& t) {
  struct Band {
    const char* forWhat;
    double from, to, rate;
  };
  static constexpr Band kBands[] = {{"RESIDENT", 0, 20000, 0},          {"RESIDENT", 20000.01, 30000, 3.5},
                                    {"RESIDENT", 30000.01, 40000, 5.5}, {"RESIDENT", 40000.01, 80000, 8.5},
                                    {"RESIDENT", 80000.01, 160000, 14}, {"RESIDENT", 160000.01, 320000, 17},
                                    {"RESIDENT", 320000.01, 0, 20},     {"NONRES", 0, 0, 15}};
  for (const Band& b : kBands)
    Row(t).Text("YEAR", "2009").Text("FORWHAT", b.forWhat).Money("FROM", Dollars(b.from)).Money("TO", Dollars(b.to))
        .Real("RATE", b.rate).Post();
}

}  // namespace kv::demo
