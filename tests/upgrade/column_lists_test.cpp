// The column lists as the release's column tables give them: for each list the number of requests, of tables
// and of requests per type code, a sample of requests checked field by field, and the table-level steps at their
// places. The expected figures were counted by hand, row by row, from those tables, not from the lists in code.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "upgrade/column_lists.h"

namespace kv::upgrade {
namespace {

struct Flat {
  std::vector<ColumnRequest> requests;
  std::vector<std::pair<std::string, Step>> steps;  // block name, step
};

Flat Flatten(const ColumnList& list) {
  Flat flat;
  for (const ColumnBlock& block : list)
    for (const ListEntry& entry : block.entries) {
      if (const auto* row = std::get_if<ChangeRow>(&entry)) {
        for (ColumnRequest& r : RequestsOf(*row)) flat.requests.push_back(std::move(r));
      } else if (const auto* step = std::get_if<StepEntry>(&entry)) {
        flat.steps.emplace_back(std::string(block.name), step->step);
      }
    }
  return flat;
}

struct Figures {
  const char* list;
  const ColumnList& (*get)();
  std::size_t requests;
  std::size_t tables;  // named tables; the row for the table Edit4 names is not counted
  std::map<std::string, std::size_t> perCode;  // "" counts the drops
};

class ListFigures : public ::testing::TestWithParam<Figures> {};

TEST_P(ListFigures, RequestsTablesAndCodesAreThoseOfTheRelease) {
  const Figures& expected = GetParam();
  const Flat flat = Flatten(expected.get());
  std::set<std::string> tables;
  std::map<std::string, std::size_t> perCode;
  for (const ColumnRequest& r : flat.requests) {
    if (!r.table.empty()) tables.insert(r.table);
    ++perCode[r.code];
  }
  EXPECT_EQ(flat.requests.size(), expected.requests);
  EXPECT_EQ(tables.size(), expected.tables);
  EXPECT_EQ(perCode, expected.perCode);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListFigures,
    ::testing::Values(
        Figures{"D", &ListD, 386, 74,
                {{"C", 132}, {"$", 191}, {"D", 20}, {"I", 10}, {"L", 4}, {"T", 8}, {"AS", 21}}},
        Figures{"B", &ListB, 243, 37,
                {{"C", 105}, {"$", 33}, {"D", 15}, {"I", 67}, {"L", 2}, {"AS", 18}, {"IC", 3}}},
        Figures{"N", &ListN, 737, 91,
                {{"C", 371}, {"$", 225}, {"D", 39}, {"I", 56}, {"L", 21}, {"T", 4}, {"Z", 3}, {"AS", 14},
                 {"IC", 1}, {"+", 2}, {"", 1}}}),
    [](const ::testing::TestParamInfo<Figures>& p) { return std::string("List") + p.param.list; });

// Whether the list holds the request exactly so (table, column, code, size, flag).
bool Holds(const ColumnList& list, const ColumnRequest& wanted) {
  for (const ColumnRequest& r : Flatten(list).requests)
    if (r.table == wanted.table && r.column == wanted.column && r.code == wanted.code && r.size == wanted.size &&
        r.encrypted == wanted.encrypted)
      return true;
  return false;
}

TEST(ColumnLists, SampleRequestsStandAsTheReleaseWritesThem) {
  struct Case {
    const ColumnList& (*list)();
    ColumnRequest request;
  };
  const Case cases[] = {
      {&ListD, {"EMPLOYEE", "FWL1TOFWL2", "C", "8", true}},
      {&ListD, {"PASS", "PRINTER", "AS", "4", true}},
      {&ListD, {"YTDEMPL", "ORI_OWWAGE", "$", "10", true}},
      {&ListD, {"TSubstitute", "FMTIME", "T", "1", false}},
      {&ListD, {"RP_HTRX", "Field_No201", "$", "1", true}},
      {&ListD, {"RP_HTRX", "Field_No300", "$", "1", true}},
      {&ListD, {"LOANS_RED", "ADJUSTMENT_DATE", "D", "6", true}},
      {&ListD, {"EMPLOYEE", "EMAIL_AC_NO", "AS", "80", true}},
      {&ListB, {"COLUMN1", "COLUMN61", "I", "8", false}},
      {&ListB, {"COLUMN1", "COLUMN100", "I", "8", false}},
      {&ListB, {"COLUMN1", "COLUMN41", "I", "8", false}},
      {&ListB, {"VACCINATION", "FOOD_HANDLER", "IC", "1", false}},
      {&ListB, {"PASS", "APPROVED_DATE", "D", "10", true}},
      {&ListB, {"EMAILPROFILE", "DATAPATH", "AS", "250", false}},
      {&ListB, {"EMPGL_LINE", "DESCR", "C", "30", false}},
      {&ListN, {"WKLEAVE", "FORFEIT", "Z", "1", false}},
      {&ListN, {"RBFIELD", "Hide_wage", "C", "1", true}},
      {&ListN, {"EMPLEAVE", "AUTOINC", "+", "1", false}},
      {&ListN, {"PASS", "accessnum", "I", "1", true}},
      {&ListN, {"CODE", "DESC", "IC", "60", false}},
      {&ListN, {"CLAIMGRP", "DESC", "", "", false}},
      {&ListN, {"RP_HTRX", "GRPNUM70", "$", "1", true}},
      {&ListN, {"EMPMISC", "N1CLAIM", "C", "12", false}},
      {&ListN, {"", "SUPERVISOR_CODE", "C", "12", true}},
      {&ListN, {"EMP_PROS", "GRADE", "C", "8", false}},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(Holds(c.list(), c.request))
        << c.request.table << "." << c.request.column << " " << c.request.code << " " << c.request.size;
  // A request that is close to one of the list's but not it is not found: the lookup compares every field.
  EXPECT_FALSE(Holds(ListD(), {"EMPLOYEE", "FWL1TOFWL2", "C", "8", false}));
  EXPECT_FALSE(Holds(ListB(), {"COLUMN1", "COLUMN101", "I", "8", false}));
}

TEST(ColumnLists, RunsOfNumberedColumnsKeepTheirOrderAndNumbersWithoutLeadingZeros) {
  const ChangeRow row{"COLUMN1", false, "COLUMN8 to COLUMN11 I 8; LAST C 2"};
  std::vector<std::string> columns;
  for (const ColumnRequest& r : RequestsOf(row)) columns.push_back(r.column + " " + r.code + " " + r.size);
  EXPECT_EQ(columns, (std::vector<std::string>{"COLUMN8 I 8", "COLUMN9 I 8", "COLUMN10 I 8", "COLUMN11 I 8",
                                               "LAST C 2"}));
}

TEST(ColumnLists, MalformedRowsAreRefusedNamingWhatCannotBeRead) {
  for (const char* text : {"NAME Q 8", "NAME C", "COLUMN9 to COLUMN3 I 8", "A1 to B3 I 8", "NAME C 8;; X C 1",
                           "drop"}) {
    try {
      RequestsOf({"T", false, text});
      ADD_FAILURE() << text;
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("column list row for T"), std::string::npos) << e.what();
    }
  }
}

TEST(ColumnLists, TableLevelStepsStandAtTheirPlaces) {
  using P = std::pair<std::string, Step>;
  EXPECT_EQ(Flatten(ListD()).steps,
            (std::vector<P>{{"D2", Step::ShowLevyStart},
                            {"D2", Step::FillLevyPeriodPart},
                            {"D2", Step::DropLevyKey},
                            {"D2", Step::CreateLevyKey},
                            {"D2", Step::LoadLevyTables},
                            {"D2", Step::ShowLevyDone},
                            {"D5 fill", Step::FillYtdemplOriginalWages},
                            {"D6", Step::AddFreeFieldLabels},
                            {"D7", Step::DecryptPass},
                            {"D8", Step::AddLeaveCodes},
                            {"D11", Step::LoadVoluntaryCpf2007},
                            {"D12", Step::ConvertCostCentre},
                            {"D12", Step::CorrectPublicHolidays},
                            {"D13", Step::FixListValues},
                            {"D14", Step::DecryptTrnno},
                            {"D15", Step::RenumberAllowanceColumns}}));
  EXPECT_EQ(Flatten(ListB()).steps, (std::vector<P>{{"B2", Step::AddFormulaVariables},
                                                    {"B2", Step::CopyLevy2004To2005},
                                                    {"B3", Step::FillCareerHistory},
                                                    {"B4", Step::FillBankAmounts},
                                                    {"B6", Step::UpdateTerminationStatus},
                                                    {"B6", Step::ResetLeaveEntitlements},
                                                    {"B8", Step::PrepareEmailProfile}}));
  EXPECT_EQ(Flatten(ListN()).steps,
            (std::vector<P>{{"N4", Step::EncryptWkcstrec},
                            {"N6", Step::DeleteEmpservBackup},
                            {"N7", Step::FillPaypara2Type},
                            {"N10", Step::TakeSalaryTotal},
                            {"N10", Step::CheckSalaryTotal},
                            {"N10", Step::EmptyRpHtrx},
                            {"N10", Step::ResetEPayslipPasswords},
                            {"N10", Step::DecryptEmployee},
                            {"N11", Step::EncryptEmployee},
                            {"N12", Step::CycleEmpAlwEncryption},
                            {"N18", Step::CloseCodeTables},
                            {"N18", Step::FillCodeMapField},
                            {"N18", Step::FillCodeLongDesc},
                            {"N18", Step::FillEmpProsGrade},
                            {"N18", Step::DecryptEmpmisc},
                            {"N19", Step::EncryptEmpmisc},
                            {"N levy", Step::CopyLevy2007To2008},
                            {"N levy", Step::CopyLevy2007To2008}}));
}

TEST(ColumnLists, BlocksComeInTheirOrderUnderTheirGatesAndGuards) {
  std::vector<std::string> names;
  for (const ColumnList* list : {&ListD(), &ListB(), &ListN()})
    for (const ColumnBlock& b : *list) names.emplace_back(b.name);
  std::vector<std::string> expected;
  for (int i = 1; i <= 15; ++i) {
    expected.push_back("D" + std::to_string(i));
    if (i == 5) expected.emplace_back("D5 fill");
  }
  for (int i = 1; i <= 9; ++i) expected.push_back("B" + std::to_string(i));
  for (int i = 1; i <= 19; ++i) expected.push_back("N" + std::to_string(i));
  expected.emplace_back("N levy");
  EXPECT_EQ(names, expected);

  const auto block = [](const ColumnList& list, std::string_view name) -> const ColumnBlock& {
    for (const ColumnBlock& b : list)
      if (b.name == name) return b;
    throw std::out_of_range(std::string(name));
  };
  using G = std::vector<Gate>;
  EXPECT_EQ(block(ListD(), "D2").gates, G{Gate::LevyTicked});
  EXPECT_EQ(block(ListD(), "D10").gates, G{Gate::EmailAcTicked});
  for (const char* b : {"B2", "B3", "B4", "B5"}) EXPECT_EQ(block(ListB(), b).gates, G{Gate::DataVersionAtMost89000});
  for (const char* b : {"B1", "B6", "B8", "B9"}) EXPECT_TRUE(block(ListB(), b).gates.empty()) << b;
  EXPECT_TRUE(block(ListN(), "N1").gates.empty());
  EXPECT_EQ(block(ListN(), "N2").gates, G{Gate::NewFieldsTicked});
  for (int i = 3; i <= 19; ++i) {
    const G& gates = block(ListN(), "N" + std::to_string(i)).gates;
    ASSERT_GE(gates.size(), 2u);
    EXPECT_EQ(G(gates.begin(), gates.begin() + 2), (G{Gate::NewFieldsTicked, Gate::DataVersionBelow86000})) << i;
  }
  EXPECT_EQ(block(ListN(), "N14").gates.back(), Gate::ApprovalFlowTicked);
  EXPECT_EQ(block(ListN(), "N16").gates.back(), Gate::CasualdPresent);
  // The levy roll-forward runs whatever the options say, a second time on data older than 8.60; the levy key
  // is rebuilt whatever its drop and creation say.
  const ColumnBlock& levy = block(ListN(), "N levy");
  EXPECT_TRUE(levy.gates.empty());
  EXPECT_EQ(std::get<StepEntry>(levy.entries[0]).gate, Gate::Always);
  EXPECT_EQ(std::get<StepEntry>(levy.entries[1]).gate, Gate::DataVersionBelow86000);
  for (const ListEntry& e : block(ListD(), "D2").entries) {
    const auto* step = std::get_if<StepEntry>(&e);
    if (!step) continue;
    const bool keyStep = step->step == Step::DropLevyKey || step->step == Step::CreateLevyKey;
    EXPECT_EQ(step->guard, keyStep ? Guard::Ignored : Guard::PassedOn);
  }
  EXPECT_EQ(std::get<StepEntry>(block(ListB(), "B6").entries.back()).gate, Gate::LeaveResetTicked);

  struct Guarded {
    const ColumnList& (*list)();
    const char* name;
    Guard guard;
    const char* words;
  };
  for (const Guarded& g : {Guarded{&ListD, "D3", Guard::ShownWithStatement, ""},
                           Guarded{&ListD, "D5", Guard::ShownAfterWords, "Add Field Function "},
                           Guarded{&ListB, "B8", Guard::Ignored, ""},
                           Guarded{&ListN, "N4", Guard::ShownAfterWords, ""},
                           Guarded{&ListN, "N5", Guard::ShownAfterWords, "TRNNO.adt "},
                           Guarded{&ListN, "N9", Guard::ShownAfterWords, "BONUS FIELD REPTYPE "},
                           Guarded{&ListN, "N10", Guard::PassedOn, ""}}) {
    EXPECT_EQ(block(g.list(), g.name).guard, g.guard) << g.name;
    EXPECT_EQ(block(g.list(), g.name).words, g.words) << g.name;
  }
}

}  // namespace
}  // namespace kv::upgrade
