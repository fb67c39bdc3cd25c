// A demo installation taken through the whole run twice by the headless runner with "Update Claim Setup Table"
// and "Convert Family's Occupation code ?" ticked: the claim set-up is made again from MEDTABLE with the staff's
// sub-claim limits, the family and relation codes are added, the list values and tax tables converted, and the
// second run leaves those tables as the first left them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/runner.h"
#include "app/demo/installation.h"
#include "common/temp_folder.h"
#include "engine/engine.h"

namespace kv::cli {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using ::testing::StartsWith;

using Rows = std::vector<std::string>;  // a table's rows in record order, each "NAME=value|NAME=value..."

class ClaimRun : public ::testing::Test {
 protected:
  void SetUp() override {
    demo::DemoOptions options;
    options.dir = folder_.Path().string();
    options.companies = 2;
    options.employees = 12;
    options.dictionaries = 1;  // DEMO01 under its dictionary, DEMO02 free tables
    demo::MakeDemoInstallation(options);
  }

  void RunTool() {
    std::string error;
    const auto options = ParseCliOptions({"--program-dir", folder_.Path().string(), "--select-all", "--yes",
                                          "--tick", "CheckBoxClaim", "--tick", "CheckBoxFamilyCode"},
                                         &error);
    ASSERT_TRUE(options) << error;
    std::ostringstream out, progress;
    ASSERT_EQ(RunHeadless(*options, (folder_.Path() / "kv8mtn-cli").string(), out, progress), 0) << out.str();
    EXPECT_EQ(out.str().find("message:"), std::string::npos) << out.str();
  }

  // The table's rows, read through the company's dictionary (as its administrator) or as a free table with the
  // table password when it is encrypted; `encrypted` tells whether the file is.
  Rows Dump(const std::string& code, const std::string& table, bool* encrypted = nullptr) {
    engine::TAdsConnection c;
    const std::string folder = (folder_.Path() / "COMPANY" / code).string();
    if (code == "DEMO01") {
      c.SetConnectPath(folder + "/DEMO01.add");
      c.Username = "ADSSYS";
      c.Password = std::string(engine::kTablePassword);
    } else {
      c.SetConnectPath(folder);
    }
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.Open();
    if (encrypted) *encrypted = t.IsTableEncrypted();
    if (code != "DEMO01" && t.IsTableEncrypted()) t.EnableEncryption(engine::kTablePassword);
    Rows rows;
    for (t.First(); !t.Eof(); t.Next()) {
      std::string row;
      for (const auto& f : t.Fields()) row += (row.empty() ? "" : "|") + f->FieldName() + "=" + f->AsString();
      rows.push_back(row);
    }
    t.Close();
    return rows;
  }

  static std::string FieldOf(const std::string& row, const std::string& field) {
    std::istringstream pieces(row);
    for (std::string piece; std::getline(pieces, piece, '|');)
      if (piece.rfind(field + "=", 0) == 0) return piece.substr(field.size() + 1);
    return "";
  }

  static Rows Matching(const Rows& rows, const std::string& part) {
    Rows found;
    for (const std::string& row : rows)
      if (row.find(part) != std::string::npos) found.push_back(row);
    return found;
  }

  static std::set<std::string> Values(const Rows& rows, const std::string& field) {
    std::set<std::string> values;
    for (const std::string& row : rows) values.insert(FieldOf(row, field));
    values.erase("");
    return values;
  }

  kv::testing::TempFolder folder_;
};

const char* const kCompanies[] = {"DEMO01", "DEMO02"};
const char* const kTaxTables[] = {"IRDX8A", "IR8AR", "IR8AREC", "IR8S", "IRREFUND"};

TEST_F(ClaimRun, SetsUpClaimsAndFamilyCodesAndARerunChangesNothing) {
  // The free company's tax tables come clear from the older release.
  for (const char* table : kTaxTables) {
    bool encrypted = true;
    Dump("DEMO02", table, &encrypted);
    EXPECT_FALSE(encrypted) << table;
  }
  std::map<std::string, Rows> familyBefore;
  for (const char* code : kCompanies) familyBefore[code] = Dump(code, "FAMILY");

  RunTool();
  std::map<std::string, Rows> first;
  const auto key = [](const std::string& code, const std::string& table) { return code + " " + table; };
  for (const char* code : kCompanies) {
    SCOPED_TRACE(code);
    for (const char* table : {"MEDSCH", "MEDTBL", "TRNNO", "CODE", "LIST", "FAMILY", "EMPLOYEE"})
      first[key(code, table)] = Dump(code, table);

    // One set-up row per scheme and claim code of MEDTABLE, numbered from 111 in MEDTABLE's order, ten tiers each;
    // the old tiers are gone, those numbered 111 whose row had gone long before too.
    const Rows& medsch = first[key(code, "MEDSCH")];
    const Rows claims = Matching(medsch, "|CLAIMTYPE=0|");
    ASSERT_EQ(claims.size(), 12u);
    EXPECT_EQ(FieldOf(claims.front(), "TRNNO"), "111");
    EXPECT_EQ(FieldOf(claims.front(), "SCHEME_CODE") + "/" + FieldOf(claims.front(), "CLAIM_CODE"), "EXEC/DENTAL");
    for (const std::string& claim : claims) EXPECT_EQ(FieldOf(claim, "ITEMTYPE"), "F") << claim;
    const Rows& medtbl = first[key(code, "MEDTBL")];
    EXPECT_EQ(medtbl.size(), 120u);
    EXPECT_THAT(Matching(medtbl, "TRNNO=111|"),
                ElementsAre("TRNNO=111|ID=1|MAX_CLAIM=80|FROM=0|TO=99.99",
                            "TRNNO=111|ID=2|MAX_CLAIM=160|FROM=100|TO=199.99",
                            "TRNNO=111|ID=3|MAX_CLAIM=|FROM=|TO=", "TRNNO=111|ID=4|MAX_CLAIM=|FROM=|TO=",
                            "TRNNO=111|ID=5|MAX_CLAIM=|FROM=|TO=", "TRNNO=111|ID=6|MAX_CLAIM=|FROM=|TO=",
                            "TRNNO=111|ID=7|MAX_CLAIM=|FROM=|TO=", "TRNNO=111|ID=8|MAX_CLAIM=|FROM=|TO=",
                            "TRNNO=111|ID=9|MAX_CLAIM=|FROM=|TO=", "TRNNO=111|ID=10|MAX_CLAIM=|FROM=|TO="));
    // Management's specialist care (119) has twelve bands: the first ten fill its tiers.
    const Rows specialist = Matching(medtbl, "TRNNO=119|");
    ASSERT_EQ(specialist.size(), 10u);
    EXPECT_EQ(specialist.front(), "TRNNO=119|ID=1|MAX_CLAIM=100|FROM=0|TO=249.99");
    EXPECT_EQ(specialist.back(), "TRNNO=119|ID=10|MAX_CLAIM=1000|FROM=2250|TO=2499.99");
    EXPECT_EQ(FieldOf(first[key(code, "TRNNO")].at(0), "AUTO2"), "122");
    // Each benefit scheme of the staff gets every sub-claim of ALOCLAIM as a limit row.
    const auto schemes = Values(first[key(code, "EMPLOYEE")], "BENEFIT_SCHEME");
    EXPECT_GE(schemes.size(), 2u);
    const Rows limits = Matching(medsch, "|CLAIMTYPE=1|");
    EXPECT_EQ(limits.size(), 4 * schemes.size());
    std::set<std::string> limitsSet;
    for (const std::string& row : limits)
      limitsSet.insert(FieldOf(row, "SCHEME_CODE") + " " + FieldOf(row, "CLAIM_CODE") + " " +
                       FieldOf(row, "SUBCLAIM") + " " + FieldOf(row, "SUBLIMIT"));
    for (const std::string& scheme : schemes)
      for (const char* limit : {" OUTPT GP 30", " OUTPT TCM 25", " DENTAL SCALE 80", " SPEC PHYSIO 60"})
        EXPECT_TRUE(limitsSet.count(scheme + limit)) << scheme + limit;

    // Every occupation of the family members as the demo made them is a "SOU" code, described as the staff's
    // occupation of that code or, when the staff have none such (children at school), by its own text; every
    // emergency contact relation of the staff is an "RE" code, the one set up by hand kept as it was.
    const Rows& codes = first[key(code, "CODE")];
    const Rows ocu = Matching(codes, "CATEGORY=OCU|");
    for (const std::string& occupation : Values(familyBefore[code], "OCCUPATION_CODE")) {
      const Rows staff = Matching(ocu, "|CODE=" + occupation + "|");
      const std::string description = staff.empty() ? occupation : FieldOf(staff.front(), "DESC");
      EXPECT_THAT(codes, Contains(StartsWith("CATEGORY=SOU|CODE=" + occupation + "|DESC=" + description + "|")));
    }
    EXPECT_THAT(codes, Contains(StartsWith("CATEGORY=SOU|CODE=STUDENT|DESC=STUDENT|")));
    for (const std::string& relation : Values(first[key(code, "EMPLOYEE")], "EMG_CONTACT_RELATION")) {
      if (relation == "SPOUSE") continue;
      EXPECT_THAT(codes, Contains(StartsWith("CATEGORY=RE|CODE=" + relation + "|DESC=" + relation + "|")));
    }
    EXPECT_THAT(codes, Contains(StartsWith("CATEGORY=RE|CODE=SPOUSE|DESC=Husband or wife|")));
    EXPECT_THAT(codes, Not(Contains(StartsWith("CATEGORY=SOU|CODE=|"))));
    EXPECT_THAT(codes, Not(Contains(StartsWith("CATEGORY=RE|CODE=|"))));
    EXPECT_THAT(codes, Contains(StartsWith("CATEGORY=LEA|CODE=ECHILD|DESC=Enhanced Child Care Leave|")));

    // The daily-rate bases the older release wrote "DR" + days are "D" + days.
    const Rows& list = first[key(code, "LIST")];
    EXPECT_EQ(list.size(), 6u);
    EXPECT_THAT(list, Contains("LIST_NAME=RATEBASIS|VALUE=D6"));
    EXPECT_EQ(Matching(list, "=DR").size(), 0u);
  }
  // The free company's tax tables are encrypted now.
  for (const char* table : kTaxTables) {
    bool encrypted = false;
    const Rows rows = Dump("DEMO02", table, &encrypted);
    EXPECT_TRUE(encrypted) << table;
  }

  RunTool();
  for (const char* code : kCompanies) {
    SCOPED_TRACE(code);
    for (const char* table : {"MEDSCH", "MEDTBL", "TRNNO", "LIST"})
      EXPECT_EQ(Dump(code, table), first[key(code, table)]) << table;
    // CODE gains one row in the second run, and not from these conversions: the employee record walk of the first
    // run fills the employment records it adds with "NONE" (UNIT too), and the walk of the second run makes that
    // unit a "UNT" code.
    Rows codes = Dump(code, "CODE");
    const Rows unit = Matching(codes, "CATEGORY=UNT|CODE=NONE|");
    ASSERT_EQ(unit.size(), 1u);
    EXPECT_THAT(first[key(code, "CODE")], Not(Contains(unit.front())));
    codes.erase(std::find(codes.begin(), codes.end(), unit.front()));
    EXPECT_EQ(codes, first[key(code, "CODE")]);
  }
}

}  // namespace
}  // namespace kv::cli
