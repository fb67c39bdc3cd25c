#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "catalogue/catalogue.h"
#include "support/strings.h"

// The catalogue checked as a whole against the figures its table blocks state: tables, fields and indexes in
// all, fields of each logical type, each table's own field count, the creation order, and the tables that
// depart from the standard rules. A definition typed wrong in any of these respects fails here.

namespace kv::catalogue {
namespace {

using engine::FieldTypeName;
using engine::TFieldType;

// Tables 1 to 130, then SUPVRTBL and mcompany.ADT.
std::vector<const TableDefinition*> WholeCatalogue() {
  std::vector<const TableDefinition*> all;
  for (const TableDefinition& t : CompanyTables()) all.push_back(&t);
  all.push_back(&SupvrtblDefinition());
  all.push_back(&McompanyDefinition());
  return all;
}

// The fields as the engine receives them, counted here on their own so that the figures check the data and
// not one reading of it.
std::vector<FieldDef> Fields(const TableDefinition& table) {
  std::vector<FieldDef> out;
  for (const FieldItem& item : table.fields) {
    if (const auto* field = std::get_if<FieldDef>(&item)) {
      out.push_back(*field);
      continue;
    }
    const auto& run = std::get<FieldRun>(item);
    for (int n = run.first; n <= run.last; ++n)
      for (const FieldDef& p : run.pattern) out.push_back(p);
  }
  return out;
}

// Field names written out, with the run number after the pattern's name.
std::vector<std::string> FieldNames(const TableDefinition& table) {
  std::vector<std::string> names;
  for (const FieldItem& item : table.fields) {
    if (const auto* field = std::get_if<FieldDef>(&item)) {
      names.emplace_back(field->name);
      continue;
    }
    const auto& run = std::get<FieldRun>(item);
    for (int n = run.first; n <= run.last; ++n)
      for (const FieldDef& p : run.pattern) names.push_back(std::string(p.name) + std::to_string(n));
  }
  return names;
}

const TableDefinition& Table(std::string_view name) {
  for (const TableDefinition* t : WholeCatalogue())
    if (t->name == name) return *t;
  ADD_FAILURE() << "no table " << name;
  static const TableDefinition none;
  return none;
}

// A table name without ".ADT" in any case: the file the engine makes, whose name the folder matches without
// regard to case.
std::string FileBase(std::string_view name) {
  std::string base = kv::UpperCase(name);
  if (base.size() > 4 && base.ends_with(".ADT")) base.resize(base.size() - 4);
  return base;
}

TEST(CatalogueTotals, CompanyTablesRunInTheCreationDriversOrder) {
  const std::vector<std::string> expected = {
    "CPFNEW2", "MVPTRX.ADT", "YRCODE.ADT", "EMPDOC.ADT", "GLTYPE.ADT", "EMPCCGRP.ADT", "SYSCONT.ADT",
    "ABSTEACHER.ADT", "CodeRate.ADT", "WK_TEMP.ADT", "TSubstitute.ADT", "share_temp1.ADT", "share2.ADT", "share3.ADT",
    "P_HIST4", "BONUSTRX.adt", "rbJoin", "rbTable", "rbField", "rbFolder", "rbItem", "LIEUTRX1.ADT", "CLMTMPL",
    "CLMTMPPM", "mclmlog", "Cmbudget", "OTCLMSTP", "BATCH", "OTSHIFTREST", "TABLE_REF", "ALLOW_TRX", "loans_red",
    "JOB_DEP", "HRCOST", "Vaccination", "LVCTM1", "OUTGL_D", "CTRSETUP", "THRIFTLOAN", "WKACCESS", "USERAUDIT",
    "P_HIST5", "CASUALD", "APPD8B", "amountPoint", "tempIncrement", "increReport", "EMPBONUS", "EXPORT", "TRXLOG",
    "mapfield", "reportStructure", "tempBargain", "allow_summary", "GLFILE", "GLSUPP", "S_WITHHOLD", "CQUERY",
    "WageCode", "CASUALP", "APPRTEMP", "APP_GRADE_SETUP", "APPR_QUES", "APPR_SECTIONC", "APPR_SELECT", "APPRSCORE",
    "MAPAPPR", "TYPE_LIST", "CATEGORY", "tempHeadCounts", "budgetReport", "REPORT_ACC", "RP_HTRX", "RW_MAP_AW",
    "RW_USER", "TRANSFER", "WKEMPL", "TEMPLEAVE", "APPGROUP", "LVAUDIT", "INSPLAN", "BENPLAN", "LEAVECC", "leavecdo",
    "P_HIST7", "LOAN_ADJUST", "PASSSAVE", "EMPCLAIM", "WKBLOCK", "POINT", "DISCREP", "EXCELTEMPLATE", "nsremarks",
    "NSTRANS", "EXRATE", "RPTRX", "RPEXP", "RPEXPH", "STDATE", "USEPS", "RP_MAP", "RP_MAPHD", "ERRORLOG",
    "CONTR_FUND", "MEDLVRPT", "DIEM", "APPRREP", "P_HIST3A", "CHEQUETRX", "EMAILPROFILE", "IRASTXT", "IRAS_NAT_2007",
    "IRAS_ADDR", "IR8ARTBL", "CPFNEW", "TEMPPAYGROUP", "IR8A_ADJ", "APPD2X", "APPD3X", "IR21PARAM", "SETTLEMENT",
    "AD_TEMP", "IRASDIAGNOSTIC", "BATCHNO", "RP_MAPP_HIST", "UPDATETBL", "PASSTBL2", "PAYPARA6", "BONDS", "CPFTRX"};
  std::vector<std::string> names;
  std::vector<int> numbers, oneTo130;
  for (const TableDefinition& t : CompanyTables()) {
    names.emplace_back(t.name);
    numbers.push_back(t.number);
  }
  for (int n = 1; n <= 130; ++n) oneTo130.push_back(n);
  EXPECT_EQ(names, expected);
  EXPECT_EQ(numbers, oneTo130);
  EXPECT_EQ(SupvrtblDefinition().name, "SUPVRTBL");
  EXPECT_EQ(SupvrtblDefinition().number, 0);
  EXPECT_EQ(McompanyDefinition().name, "mcompany.ADT");
  EXPECT_EQ(McompanyDefinition().number, 0);
}

TEST(CatalogueTotals, TablesFieldsIndexesAndFieldTypesAddUpToTheStatedTotals) {
  const auto all = WholeCatalogue();
  std::size_t fields = 0, indexes = 0;
  std::map<std::string, int> byType;
  for (const TableDefinition* t : all) {
    const auto expanded = Fields(*t);
    fields += expanded.size();
    indexes += t->indexes.size();
    for (const FieldDef& f : expanded) ++byType[std::string(FieldTypeName(f.type))];
  }
  EXPECT_EQ(all.size(), 132u);
  EXPECT_EQ(fields, 1797u);
  EXPECT_EQ(indexes, 148u);
  const std::map<std::string, int> expected = {
      {"ftString", 763}, {"ftCurrency", 605}, {"ftFloat", 233}, {"ftInteger", 75},  {"ftDate", 68}, {"ftAutoInc", 29},
      {"ftMemo", 13},    {"ftBoolean", 5},    {"ftTime", 4},    {"ftSmallint", 1}, {"ftBlob", 1}};
  EXPECT_EQ(byType, expected);
}

TEST(CatalogueTotals, EachTableHasTheFieldCountItsBlockStates) {
  const std::vector<std::pair<std::string_view, std::size_t>> stated = {
    {"CPFNEW2", 61}, {"MVPTRX.ADT", 5}, {"YRCODE.ADT", 4}, {"EMPDOC.ADT", 4}, {"GLTYPE.ADT", 5}, {"EMPCCGRP.ADT", 5},
    {"SYSCONT.ADT", 3}, {"ABSTEACHER.ADT", 2}, {"CodeRate.ADT", 2}, {"WK_TEMP.ADT", 19}, {"TSubstitute.ADT", 13},
    {"share_temp1.ADT", 23}, {"share2.ADT", 7}, {"share3.ADT", 4}, {"P_HIST4", 32}, {"BONUSTRX.adt", 10},
    {"rbJoin", 6}, {"rbTable", 3}, {"rbField", 10}, {"rbFolder", 4}, {"rbItem", 9}, {"LIEUTRX1.ADT", 6},
    {"CLMTMPL", 16}, {"CLMTMPPM", 7}, {"mclmlog", 9}, {"Cmbudget", 3}, {"OTCLMSTP", 8}, {"BATCH", 9},
    {"OTSHIFTREST", 37}, {"TABLE_REF", 5}, {"ALLOW_TRX", 10}, {"loans_red", 13}, {"JOB_DEP", 10}, {"HRCOST", 5},
    {"Vaccination", 9}, {"LVCTM1", 6}, {"OUTGL_D", 7}, {"CTRSETUP", 2}, {"THRIFTLOAN", 8}, {"WKACCESS", 20},
    {"USERAUDIT", 19}, {"P_HIST5", 10}, {"CASUALD", 20}, {"APPD8B", 20}, {"amountPoint", 3}, {"tempIncrement", 11},
    {"increReport", 24}, {"EMPBONUS", 11}, {"EXPORT", 11}, {"TRXLOG", 11}, {"mapfield", 8}, {"reportStructure", 5},
    {"tempBargain", 28}, {"allow_summary", 7}, {"GLFILE", 7}, {"GLSUPP", 3}, {"S_WITHHOLD", 6}, {"CQUERY", 11},
    {"WageCode", 13}, {"CASUALP", 20}, {"APPRTEMP", 4}, {"APP_GRADE_SETUP", 10}, {"APPR_QUES", 4},
    {"APPR_SECTIONC", 6}, {"APPR_SELECT", 11}, {"APPRSCORE", 9}, {"MAPAPPR", 5}, {"TYPE_LIST", 3}, {"CATEGORY", 7},
    {"tempHeadCounts", 9}, {"budgetReport", 11}, {"REPORT_ACC", 2}, {"RP_HTRX", 308}, {"RW_MAP_AW", 2},
    {"RW_USER", 2}, {"TRANSFER", 10}, {"WKEMPL", 9}, {"TEMPLEAVE", 16}, {"APPGROUP", 3}, {"LVAUDIT", 9},
    {"INSPLAN", 16}, {"BENPLAN", 18}, {"LEAVECC", 5}, {"leavecdo", 5}, {"P_HIST7", 17}, {"LOAN_ADJUST", 5},
    {"PASSSAVE", 5}, {"EMPCLAIM", 7}, {"WKBLOCK", 13}, {"POINT", 5}, {"DISCREP", 18}, {"EXCELTEMPLATE", 9},
    {"nsremarks", 7}, {"NSTRANS", 31}, {"EXRATE", 3}, {"RPTRX", 16}, {"RPEXP", 10}, {"RPEXPH", 7}, {"STDATE", 4},
    {"USEPS", 4}, {"RP_MAP", 3}, {"RP_MAPHD", 2}, {"ERRORLOG", 2}, {"CONTR_FUND", 9}, {"MEDLVRPT", 64}, {"DIEM", 3},
    {"APPRREP", 12}, {"P_HIST3A", 40}, {"CHEQUETRX", 9}, {"EMAILPROFILE", 15}, {"IRASTXT", 8}, {"IRAS_NAT_2007", 3},
    {"IRAS_ADDR", 20}, {"IR8ARTBL", 39}, {"CPFNEW", 44}, {"TEMPPAYGROUP", 35}, {"IR8A_ADJ", 41}, {"APPD2X", 23},
    {"APPD3X", 24}, {"IR21PARAM", 9}, {"SETTLEMENT", 7}, {"AD_TEMP", 6}, {"IRASDIAGNOSTIC", 2}, {"BATCHNO", 4},
    {"RP_MAPP_HIST", 6}, {"UPDATETBL", 4}, {"PASSTBL2", 9}, {"PAYPARA6", 9}, {"BONDS", 5}, {"CPFTRX", 15},
    {"SUPVRTBL", 4}, {"mcompany.ADT", 7}};
  const auto all = WholeCatalogue();
  ASSERT_EQ(all.size(), stated.size());
  for (std::size_t i = 0; i < stated.size(); ++i) {
    EXPECT_EQ(all[i]->name, stated[i].first) << "place " << i + 1;
    EXPECT_EQ(Fields(*all[i]).size(), stated[i].second) << stated[i].first;
  }
}

TEST(CatalogueTotals, SeventeenTablesAreEncryptedOnFreeTableConnectionsAndSyscontOnAny) {
  std::map<std::string, std::string> encrypted;
  for (const TableDefinition* t : WholeCatalogue()) {
    switch (t->encryption) {
      case EncryptionRule::Never: break;
      case EncryptionRule::FreeTableBeforeIndexes: encrypted[std::string(t->name)] = "before indexes"; break;
      case EncryptionRule::FreeTableAfterIndexes: encrypted[std::string(t->name)] = "after indexes"; break;
      case EncryptionRule::AlwaysAfterRows: encrypted[std::string(t->name)] = "always, after rows"; break;
    }
  }
  const std::map<std::string, std::string> expected = {
      {"MVPTRX.ADT", "after indexes"},    {"BONUSTRX.adt", "before indexes"}, {"rbTable", "before indexes"},
      {"rbField", "before indexes"},      {"loans_red", "before indexes"},    {"tempIncrement", "before indexes"},
      {"EMPBONUS", "before indexes"},     {"S_WITHHOLD", "before indexes"},   {"CQUERY", "before indexes"},
      {"RP_HTRX", "before indexes"},      {"RW_USER", "before indexes"},      {"TRANSFER", "before indexes"},
      {"WKEMPL", "before indexes"},       {"PASSSAVE", "before indexes"},     {"USEPS", "before indexes"},
      {"IR8A_ADJ", "after indexes"},      {"CPFTRX", "before indexes"},       {"SYSCONT.ADT", "always, after rows"}};
  EXPECT_EQ(encrypted, expected);
  EXPECT_EQ(expected.size() - 1, 17u);
}

// Every rule other than encryption in which a table departs from the standard: keep, report and stop, the
// standard deletion set, nothing after creation, rights checked.
TEST(CatalogueTotals, OnlyTheNamedTablesDepartFromTheStandardRules) {
  std::map<std::string, std::vector<std::string>> departures;
  for (const TableDefinition* t : WholeCatalogue()) {
    std::vector<std::string> d;
    if (t->existing == ExistingRule::DropWhenForced) d.push_back("drop when forced");
    if (t->existing == ExistingRule::OpenCheck) d.push_back("open check");
    if (t->existing == ExistingRule::IndexTopUp) d.push_back("index top-up");
    if (t->failure == FailureRule::ReportAndGoOn) d.push_back("report and go on");
    if (t->failure == FailureRule::NoteAndSkip) d.push_back("note and skip");
    if (t->guardedEncryption) d.push_back("guarded encryption");
    if (t->deletionSet) {
      std::string files = "deletes:";
      for (std::string_view f : *t->deletionSet) files += " " + std::string(f);
      d.push_back(files);
    }
    if (t->after == AfterCreation::SystemControlRows) d.push_back("login rows");
    if (t->after == AfterCreation::Cpf2007Rates) d.push_back("2007 CPF rates");
    if (!t->rightsCheck) d.push_back("rights check off");
    if (!d.empty()) departures[std::string(t->name)] = d;
  }
  const std::map<std::string, std::vector<std::string>> expected = {
      {"YRCODE.ADT", {"deletes:", "rights check off"}},
      {"EMPDOC.ADT", {"deletes: EMPDOC.ADT EMPDOC.ADI"}},
      {"SYSCONT.ADT", {"login rows"}},
      {"P_HIST4", {"deletes:"}},
      {"BONUSTRX.adt", {"note and skip", "guarded encryption"}},
      {"CLMTMPL", {"open check"}},
      {"CLMTMPPM", {"open check"}},
      {"loans_red", {"guarded encryption"}},
      {"increReport", {"report and go on"}},
      {"APPRTEMP", {"deletes: apprTemp.ADT apprTemp.ADM apprTemp.ADI"}},
      {"APP_GRADE_SETUP", {"deletes: app_grade_setup.ADT app_grade_setup.ADM app_grade_setup.ADI"}},
      {"APPR_SECTIONC", {"deletes: appr_SectionC.ADT appr_SectionC.ADM appr_SectionC.ADI"}},
      {"MAPAPPR", {"deletes: mapAppr.ADT mapAppr.ADM mapAppr.ADI"}},
      {"LVAUDIT", {"deletes: lvaudit.ADT lvaudit.ADM lvaudit.ADI"}},
      {"CPFNEW", {"2007 CPF rates"}},
      {"IR21PARAM", {"index top-up"}},
      {"SETTLEMENT", {"drop when forced", "deletes:"}},
      {"AD_TEMP", {"drop when forced", "deletes:"}},
      {"IRASDIAGNOSTIC", {"drop when forced", "deletes:"}}};
  EXPECT_EQ(departures, expected);
}

// Names the engine would refuse or confuse: two tables on one file, two fields or two indexes of one name, a
// text field without a size, an index key naming a field the table does not have, a failure message naming
// another table.
TEST(CatalogueTotals, NamesAreUniqueAndEveryIndexKeyNamesFieldsOfItsTable) {
  std::set<std::string> files;
  for (const TableDefinition* t : WholeCatalogue()) {
    EXPECT_TRUE(files.insert(FileBase(t->name)).second) << "second table on the file of " << t->name;
    EXPECT_EQ(FileBase(t->messageName), FileBase(t->name)) << t->name;

    std::set<std::string> fields;
    for (const std::string& name : FieldNames(*t))
      EXPECT_TRUE(fields.insert(kv::UpperCase(name)).second) << t->name << " has two fields " << name;
    for (const FieldDef& f : Fields(*t)) {
      EXPECT_NE(f.type, TFieldType::ftUnknown) << t->name << "." << f.name;
      if (f.type == TFieldType::ftString) {
        EXPECT_GT(f.size, 0) << t->name << "." << f.name;
      }
    }

    std::set<std::string> indexNames;
    for (const IndexDef& index : t->indexes) {
      EXPECT_TRUE(indexNames.insert(kv::UpperCase(index.name)).second) << t->name << " has two indexes " << index.name;
      std::string part;
      const std::string key = std::string(index.key) + ";";
      for (char c : key) {
        if (c != ';' && c != ',') {
          part += c;
          continue;
        }
        std::string field = kv::UpperCase(part);
        if (field.starts_with("UPPER(") && field.ends_with(")")) field = field.substr(6, field.size() - 7);
        EXPECT_TRUE(fields.count(field)) << t->name << " index " << index.name << " names " << part;
        part.clear();
      }
    }
  }
}

// Runs written out in the right order, and names with digits only, blanks, "%" and "." kept as they stand.
TEST(CatalogueTotals, RunsAndOddNamesGiveTheFieldsAtTheirPlaces) {
  struct Case {
    std::string_view table;
    std::size_t place;  // from 1
    std::string name;
    TFieldType type;
    int size;
  };
  const std::vector<Case> cases = {
      {"TEMPPAYGROUP", 4, "21", TFieldType::ftString, 8},      {"TEMPPAYGROUP", 14, "31", TFieldType::ftString, 8},
      {"TEMPPAYGROUP", 15, "1", TFieldType::ftString, 8},      {"TEMPPAYGROUP", 24, "10", TFieldType::ftString, 9},
      {"TEMPPAYGROUP", 34, "20", TFieldType::ftString, 8},     {"TEMPPAYGROUP", 35, "TYPE", TFieldType::ftString, 1},
      {"RP_HTRX", 39, "FIELD_NO1", TFieldType::ftCurrency, 0}, {"RP_HTRX", 238, "FIELD_NO200", TFieldType::ftCurrency, 0},
      {"RP_HTRX", 239, "NPL_DAY_C", TFieldType::ftCurrency, 0}, {"RP_HTRX", 308, "GP_OVERTIME", TFieldType::ftCurrency, 0},
      {"MEDLVRPT", 5, "WORKING_DAYS1", TFieldType::ftFloat, 0}, {"MEDLVRPT", 6, "HEAD_COUNT1", TFieldType::ftInteger, 0},
      {"MEDLVRPT", 64, "DEPT_PERCENT12", TFieldType::ftFloat, 0},
      {"P_HIST3A", 7, "COL_DESC1", TFieldType::ftString, 10},  {"P_HIST3A", 30, "COL_VAL12", TFieldType::ftCurrency, 0},
      {"P_HIST3A", 31, "COL_VAL13", TFieldType::ftCurrency, 0}, {"P_HIST3A", 40, "EMP_NAME", TFieldType::ftString, 40},
      {"P_HIST7", 6, "COL_DESC1", TFieldType::ftString, 30},   {"P_HIST7", 11, "COL_VAL3", TFieldType::ftCurrency, 0},
      {"CPFNEW", 8, "SALARY_TO1", TFieldType::ftCurrency, 0},  {"CPFNEW", 15, "S1_ER%", TFieldType::ftCurrency, 0},
      {"CPFNEW", 43, "EMP_R%1", TFieldType::ftCurrency, 0},    {"UPDATETBL", 3, "Field Name", TFieldType::ftString, 40},
      {"EXPORT", 3, "Field Name", TFieldType::ftString, 40},   {"EXPORT", 5, "Size", TFieldType::ftSmallint, 0},
      {"increReport", 10, "CVP%", TFieldType::ftCurrency, 0},  {"OTSHIFTREST", 26, "REST0.5", TFieldType::ftFloat, 0},
      {"PASSTBL2", 9, "DELETE_MODE", TFieldType::ftString, 1}, {"IRAS_ADDR", 20, "ERR_REASON", TFieldType::ftString, 300},
  };
  for (const Case& c : cases) {
    const TableDefinition& t = Table(c.table);
    const auto names = FieldNames(t);
    const auto fields = Fields(t);
    ASSERT_LE(c.place, fields.size()) << c.table;
    EXPECT_EQ(names[c.place - 1], c.name) << c.table << " place " << c.place;
    EXPECT_EQ(fields[c.place - 1].type, c.type) << c.table << "." << c.name;
    if (c.type == TFieldType::ftString) {
      EXPECT_EQ(fields[c.place - 1].size, c.size) << c.table << "." << c.name;
    }
  }
  EXPECT_EQ(Table("SETTLEMENT").indexes.at(0).key, "BANKCODE,CURR_CODE");
  EXPECT_EQ(Table("PASSTBL2").indexes.at(1).key, "UPPER(ID);UPPER(MENU)");
  EXPECT_EQ(Table("WKEMPL").indexes.at(1).key, "UPPER(USERID);UPPER(EMP_NAME)");
}

}  // namespace
}  // namespace kv::catalogue
