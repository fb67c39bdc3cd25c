// The demo installation: what the run's steps need is there, through the engine as the tool will see it; the
// seed fixes the rows; a folder that holds anything is refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/demo/cli.h"
#include "app/demo/demo_dictionary.h"
#include "app/demo/identity.h"
#include "app/demo/installation.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/ini.h"
#include "platform/zip.h"
#include "support/strings.h"

namespace kv::demo {
namespace {

using engine::EADSDatabaseError;
using engine::TAdsConnection;
using engine::TAdsQuery;
using engine::TAdsTable;

struct DemoRun {
  int exit;
  std::string out, err;
};

DemoRun RunDemo(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int exit = Main(args, out, err);
  return {exit, out.str(), err.str()};
}

// A company connection as the run makes it: the dictionary when the folder holds one (as ADSSYS, or the given
// user), the folder otherwise.
std::unique_ptr<TAdsConnection> Connect(const std::string& dataPath, const std::string& code,
                                        const std::string& user = "ADSSYS",
                                        const std::string& password = std::string(engine::kTablePassword)) {
  auto c = std::make_unique<TAdsConnection>();
  const std::string folder = dataPath + "COMPANY\\" + code;
  const std::string dictionary = folder + "\\" + code + ".add";
  if (fs::FileExists(dictionary)) {
    c->SetConnectPath(dictionary);
    c->Username = user;
    c->Password = password;
  } else {
    c->SetConnectPath(folder);
  }
  c->Connect();
  return c;
}

// Every row of a table as text, fields joined by "|", in record order; encrypted free tables get the password.
std::vector<std::string> Rows(TAdsConnection& c, const std::string& table) {
  TAdsTable t;
  t.SetAdsConnection(&c);
  t.SetTableName(table);
  t.Open();
  if (!c.IsDictionary() && t.IsTableEncrypted()) t.EnableEncryption(engine::kTablePassword);
  std::vector<std::string> rows;
  for (t.First(); !t.Eof(); t.Next()) {
    std::string row;
    for (const auto& f : t.Fields()) row += f->AsString() + "|";
    rows.push_back(row);
  }
  t.Close();
  return rows;
}

std::uint64_t Count(TAdsConnection& c, const std::string& statement) {
  TAdsQuery q;
  q.SetAdsConnection(&c);
  q.SQL().Add(statement);
  q.Open();
  const std::uint64_t n = static_cast<std::uint64_t>(q.Fields()[0]->AsInteger());
  q.Close();
  q.CloseStatement();
  return n;
}

bool HasCommand(const std::string& name) {
  return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

// One installation for the tests that only read it: three companies of 20 employees, the first under a
// dictionary.
class DemoInstallation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testing::TempFolder();
    DemoOptions o;
    o.dir = folder_->Path().string() + "/install";
    o.companies = 3;
    o.employees = 20;
    o.dictionaries = 1;
    o.seed = 7;
    summary_ = new std::vector<DemoCompanySummary>(MakeDemoInstallation(o));
  }
  static void TearDownTestSuite() {
    delete summary_;
    delete folder_;
  }
  static std::string DataPath() { return folder_->Path().string() + "/install\\"; }
  static std::string HostPath(const std::string& relative) { return folder_->Path().string() + "/install/" + relative; }

  static testing::TempFolder* folder_;
  static std::vector<DemoCompanySummary>* summary_;
};
testing::TempFolder* DemoInstallation::folder_ = nullptr;
std::vector<DemoCompanySummary>* DemoInstallation::summary_ = nullptr;

TEST_F(DemoInstallation, RegistryListsTheCompaniesUnselectedWithItsUniqueIndex) {
  TAdsConnection c;
  c.SetConnectPath(DataPath());
  TAdsTable registry;
  registry.SetAdsConnection(&c);
  registry.SetTableName("mcompany.ADT");
  registry.SetIndexFieldNames("COMPANY_CODE");
  registry.Open();
  std::vector<std::string> codes;
  for (; !registry.Eof(); registry.Next()) {
    codes.push_back(registry.FieldByName("COMPANY_CODE").AsString());
    EXPECT_FALSE(registry.FieldByName("COMPANY_NAME").AsString().empty());
    EXPECT_TRUE(registry.FieldByName("MERGE").IsNull()) << codes.back();
  }
  EXPECT_EQ(codes, (std::vector<std::string>{"DEMO01", "DEMO02", "DEMO03"}));
  registry.Close();
  registry.UpdateIndexDefs();
  const engine::TIndexDef* primary = registry.IndexDefs.Find("PRIMARY");
  ASSERT_NE(primary, nullptr);
  EXPECT_EQ(primary->Fields, "COMPANY_CODE");
  EXPECT_TRUE(primary->Options.Has(engine::TIndexOption::ixUnique));

  const ini::IniFile ini = ini::IniFile::Load(DataPath() + "KAVEN.ini");
  EXPECT_EQ(ini.ReadString("PATH", "DIR", "unset"), "");
  EXPECT_EQ(ini.ReadString("PATH", "DICTIONARY", "unset"), "");
  EXPECT_NE(ini.ReadString("SETTING", "SERVERTYPE", "unset"), "unset");
}

TEST_F(DemoInstallation, EveryCompanyStandsAtDataVersion850) {
  for (const std::string code : {"DEMO01", "DEMO02", "DEMO03"}) {
    auto c = Connect(DataPath(), code);
    TAdsTable paypara;
    paypara.SetAdsConnection(c.get());
    paypara.SetTableName("PAYPARA");
    paypara.Open();
    EXPECT_EQ(paypara.FieldByName("VERSION").AsCurrency().Scaled(), 85000) << code;
    EXPECT_EQ(paypara.RecordCount(), 1u);
    paypara.Close();
  }
}

TEST_F(DemoInstallation, FreeTableCompanyKeepsSomeTablesUnderTheTablePassword) {
  auto c = Connect(DataPath(), "DEMO02");
  TAdsTable employee;
  employee.SetAdsConnection(c.get());
  employee.SetTableName("EMPLOYEE");
  employee.Open();
  EXPECT_TRUE(employee.IsTableEncrypted());
  EXPECT_THROW(employee.FieldByName("EMP_NAME").AsString(), EADSDatabaseError);
  employee.EnableEncryption(engine::kTablePassword);
  EXPECT_FALSE(employee.FieldByName("EMP_NAME").AsString().empty());
  employee.Close();

  // Of the five tables the run encrypts, some are encrypted already and some are not, so the step has work
  // and also meets tables it must leave.
  int encrypted = 0;
  for (const std::string name : {"transfer", "PASS", "EMP_ALW", "SYSCONT.ADT", "LOANS_RED.ADT"}) {
    TAdsTable t;
    t.SetAdsConnection(c.get());
    t.SetTableName(name);
    t.Open();
    encrypted += t.IsTableEncrypted() ? 1 : 0;
    t.Close();
  }
  EXPECT_GT(encrypted, 0);
  EXPECT_LT(encrypted, 5);
}

TEST_F(DemoInstallation, DictionaryCompanyOpensTablesByNameForTheSuitesUsers) {
  const std::string dictionary = DataPath() + "COMPANY\\DEMO01\\DEMO01.add";
  ASSERT_TRUE(fs::FileExists(dictionary));
  engine::TAdsDictionary admin;
  admin.SetConnectPath(dictionary);
  admin.UserName = "ADSSYS";
  admin.Password = std::string(engine::kTablePassword);
  admin.Connect();
  std::vector<std::string> users, tables;
  admin.UserNames(users);
  admin.TableNames(tables);
  for (const std::string u : {"readuser", "KAVENPAY8", "USER88"})
    EXPECT_NE(std::find(users.begin(), users.end(), u), users.end()) << u;
  // Every table of the folder is registered, but for the work table the clean-up removes.
  for (const fs::FindEntry& f : fs::FindFiles(DataPath() + "COMPANY\\DEMO01\\*.ADT")) {
    const std::string name = f.name.substr(0, f.name.size() - 4);
    const bool registered = std::any_of(tables.begin(), tables.end(), [&](const std::string& t) {
      return SameText(t, name) || SameText(t, f.name);
    });
    EXPECT_EQ(registered, name != "TEMP_EMP") << f.name;
  }
  EXPECT_EQ(admin.GetTableProperty16("EMPLOYEE", ace::dd_property::kEncryption), 1);
  EXPECT_EQ(admin.GetTableProperty16("RTABLE", ace::dd_property::kAutoCreate), 1);
  admin.Disconnect();

  for (const DictionaryUser& u : DemoDictionaryUsers()) {
    auto c = Connect(DataPath(), "DEMO01", std::string(u.name), std::string(u.password));
    EXPECT_TRUE(c->IsDictionary());
    EXPECT_EQ(Rows(*c, "EMPLOYEE").size(), 20u) << u.name;
  }
  EXPECT_THROW(Connect(DataPath(), "DEMO01", "readuser", "wrong"), EADSDatabaseError);
}

TEST_F(DemoInstallation, EveryStepOfTheRunFindsWork) {
  struct Work {
    const char* what;
    const char* statement;
  };
  const Work kWork[] = {
      {"holiday of 15 November 2009", "SELECT COUNT(*) FROM PUBLIC WHERE DATE = '2009-11-15'"},
      {"holiday of 16 November 2009", "SELECT COUNT(*) FROM PUBLIC WHERE DATE = '2009-11-16'"},
      {"report items (the column lists give them their ID)", "SELECT COUNT(*) FROM \"RBITEM.ADT\""},
      {"career amounts shown to all", "SELECT COUNT(*) FROM RTABLE WHERE DATABASE1='EMP_PROS' AND TYPE1='N'"},
      {"report widths 20 or 30", "SELECT COUNT(*) FROM RTABLE WHERE WIDTH=20 OR WIDTH=30"},
      {"employee name fields", "SELECT COUNT(*) FROM RTABLE WHERE FIELD='EMP_NAME'"},
      {"training (the column lists give it a department)", "SELECT COUNT(*) FROM TRAINING"},
      {"claims (the column lists give them a claim type)", "SELECT COUNT(*) FROM MEDSCH"},
      {"queries without code", "SELECT COUNT(*) FROM QUERY WHERE CODE IS NULL"},
  };
  for (const std::string code : {"DEMO01", "DEMO02"}) {
    auto c = Connect(DataPath(), code);
    for (const Work& w : kWork) EXPECT_GT(Count(*c, w.statement), 0u) << code << ": " << w.what;
    EXPECT_EQ(Count(*c, "SELECT COUNT(*) FROM PUBLIC WHERE DATE = '2009-10-17'"), 0u) << code;

    TAdsTable medsch;
    medsch.SetAdsConnection(c.get());
    medsch.SetTableName("MEDSCH");
    medsch.UpdateIndexDefs();
    for (const engine::TIndexDef& i : medsch.IndexDefs)
      EXPECT_NE(UpperCase(i.Fields), "SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE") << code;
  }
}

// "NAME:type:size" of a field, or "" when the table has no such field.
std::string FieldOf(TAdsConnection& c, const std::string& table, const std::string& field) {
  TAdsTable t;
  t.SetAdsConnection(&c);
  t.SetTableName(table);
  t.Open();
  std::string found;
  if (const engine::TField* f = t.FindField(field))
    found = f->FieldName() + ":" + std::string(engine::FieldTypeName(f->DataType())) + ":" + std::to_string(f->Size());
  t.Close();
  return found;
}

TEST_F(DemoInstallation, TablesTheColumnListsChangeStandInTheirOlderLayouts) {
  struct Case {
    const char *table, *field, *expected;  // "" for a column the company does not have yet
  };
  const Case cases[] = {
      {"EMPLOYEE", "FWL1TOFWL2", ""},
      {"EMPLOYEE", "EMAIL_AC_NO", "EMAIL_AC_NO:ftString:40"},  // widened by the lists
      {"PASS", "PRINTER", "PRINTER:ftString:2"},
      {"PASS", "APPROVED", ""},
      {"YTDEMPL", "CPFOWWAGE", "CPFOWWAGE:ftCurrency:0"},
      {"YTDEMPL", "ORI_OWWAGE", ""},
      {"COLUMN1", "COLUMN61", ""},
      {"COLUMN1", "COLUMN41", ""},
      {"VACCINATION", "FOOD_HANDLER", "FOOD_HANDLER:ftBoolean:0"},  // converted to a character flag
      {"CLAIMGRP", "DESC", "DESC:ftString:40"},                     // dropped by the lists
      {"rbItem", "ID", ""},
      {"MEDSCH", "CLAIMTYPE", ""},
      {"TSubstitute", "FMTIME", ""},
      {"RP_HTRX", "Field_No201", ""},
      {"EMPMISC", "N1CLAIM", ""},
      {"BANKLIST", "NEW_IC", "NEW_IC:ftString:16"},
  };
  for (const std::string code : {"DEMO01", "DEMO02"}) {
    auto c = Connect(DataPath(), code);
    for (const Case& k : cases) EXPECT_EQ(FieldOf(*c, k.table, k.field), k.expected) << code << " " << k.table;
  }
  // The lists' fills find rows to work on.
  auto c = Connect(DataPath(), "DEMO02");
  EXPECT_EQ(Rows(*c, "YTDEMPL").size(), 20u);
  EXPECT_GE(Rows(*c, "EMP_PROS").size(), 20u);
  EXPECT_GT(Count(*c, "SELECT COUNT(*) FROM CODE WHERE N1CLAIM IS NOT NULL"), 0u);
}

TEST_F(DemoInstallation, StaffAndPayAreOfTheRightShape) {
  auto c = Connect(DataPath(), "DEMO02");
  TAdsTable employee;
  employee.SetAdsConnection(c.get());
  employee.SetTableName("EMPLOYEE");
  employee.Open();
  employee.EnableEncryption(engine::kTablePassword);
  int residents = 0, foreigners = 0;
  for (employee.First(); !employee.Eof(); employee.Next()) {
    // Some numbers were keyed in with a slash before the check letter (the upgrade can take it out).
    std::string ic = employee.FieldByName("NEW_IC").AsString();
    std::erase(ic, '/');
    const std::string citizenship = employee.FieldByName("CITIZENSHIP").AsString();
    EXPECT_TRUE(IsValidIdentityNumber(ic)) << ic;
    if (citizenship == "F") {
      ++foreigners;
      EXPECT_TRUE(ic[0] == 'F' || ic[0] == 'G') << ic;
      EXPECT_EQ(employee.FieldByName("EMP_PASS_AC_NO").AsString(), ic);
    } else {
      ++residents;
      EXPECT_TRUE(ic[0] == 'S' || ic[0] == 'T') << ic;
    }
    EXPECT_GT(employee.FieldByName("BASIC_SALARY").AsCurrency().ToDouble(), 1000.0);
  }
  EXPECT_GT(residents, 0);
  EXPECT_GT(foreigners, 0);
  employee.Close();

  // December 2006, then a year and a month of history; residents pay CPF, pass holders the levy instead.
  EXPECT_EQ(Rows(*c, "P_HTRX").size(), static_cast<std::size_t>((*summary_)[1].historyRows));
  TAdsQuery q;
  q.SetAdsConnection(c.get());
  q.EnableStatementEncryption(engine::kTablePassword);
  q.SQL().Add("SELECT COUNT(*) FROM P_HTRX WHERE CPFEMPEE > 0 AND FWL > 0");
  q.Open();
  EXPECT_EQ(q.Fields()[0]->AsInteger(), 0);
  q.Close();
  q.SQL().Clear();
  q.SQL().Add("SELECT MIN(PERIOD), MAX(PERIOD), COUNT(*) FROM P_HTRX WHERE CPFEMPEE > 0");
  q.Open();
  EXPECT_EQ(q.Fields()[0]->AsString(), "200612");
  EXPECT_EQ(q.Fields()[1]->AsString(), "200912");
  EXPECT_GT(q.Fields()[2]->AsInteger(), 0);
  q.Close();
}

// What the record conversions and the driver's per-company tasks find to do.
TEST_F(DemoInstallation, RecordConversionsAndCompanyTasksFindWork) {
  for (const std::string code : {"DEMO01", "DEMO02"}) {
    SCOPED_TRACE(code);
    auto c = Connect(DataPath(), code);
    TAdsQuery q;
    q.SetAdsConnection(c.get());
    if (!c->IsDictionary()) q.EnableStatementEncryption(engine::kTablePassword);
    const auto count = [&](const std::string& statement) {
      q.Close();
      q.SQL().Clear();
      q.SQL().Add(statement);
      q.Open();
      return q.Fields()[0]->AsInteger();
    };
    const std::pair<const char*, const char*> kWork[] = {
        {"POSB accounts of six digits", "SELECT COUNT(*) FROM EMPLOYEE WHERE BANK_ID = 'POSB'"},
        {"POSB accounts of nine digits", "SELECT COUNT(*) FROM EMPLOYEE WHERE BANK_ID = '9812'"},
        {"POSB accounts of a second pay cycle", "SELECT COUNT(*) FROM EMP_BNK WHERE BANK_ID = 'POSB' AND CYCLE = '2'"},
        {"employees without a termination status", "SELECT COUNT(*) FROM EMPLOYEE WHERE TERMINATION_STATUS IS NULL"},
        {"photos", "SELECT COUNT(*) FROM EMPLOYEE WHERE PHOTO_ID IS NOT NULL"},
        {"career transfers", "SELECT COUNT(*) FROM EMP_PROS WHERE CODE = 'TRANS'"},
        {"history before 200701", "SELECT COUNT(*) FROM P_HTRX WHERE PERIOD < '200701'"},
        {"pay-group periods", "SELECT COUNT(*) FROM PGRP_TRX WHERE PAY_GROUP = 'MONTHLY'"},
        {"appraisal lines", "SELECT COUNT(*) FROM APPRDTL"},
        {"education records without a number", "SELECT COUNT(*) FROM EDUCATE WHERE ID = 0"},
    };
    for (const auto& [what, statement] : kWork) EXPECT_GT(count(statement), 0) << what;
    EXPECT_EQ(count("SELECT COUNT(*) FROM PGRP_TRX WHERE PAY_GROUP = 'WEEKLY'"), 0);
    q.Close();
    bool slashed = false;
    for (const std::string& row : Rows(*c, "EMPLOYEE")) slashed = slashed || row.find('/') != std::string::npos;
    EXPECT_TRUE(slashed);
  }
  // A company folder the registry lacks, and a copy put aside under a name with a dot.
  EXPECT_TRUE(fs::FileExists(DataPath() + "COMPANY\\NEWCO\\PAYPARA1.ADT"));
  EXPECT_TRUE(fs::FileExists(DataPath() + "COMPANY\\DEMO01.OLD\\PAYPARA1.ADT"));
}

TEST_F(DemoInstallation, WorkFilesFoldersAndArchivesAreInPlace) {
  for (const std::string code : {"DEMO01", "DEMO02", "DEMO03"}) {
    const std::string folder = DataPath() + "COMPANY\\" + code + "\\";
    for (const std::string file : {"EMPLOYEE.ADT.BAK", "EMPLOYEE.ADI.BAK", "PAYPARA.ADT.~1", "TEMP_EMP.ADT", "BAKERY.ADT"})
      EXPECT_TRUE(fs::FileExists(folder + file)) << code << " " << file;
  }
  EXPECT_FALSE(fs::FolderExists(DataPath() + "SHARE_FOLDER"));
  EXPECT_FALSE(fs::FolderExists(DataPath() + "BACKUP"));
  EXPECT_TRUE(fs::FolderExists(DataPath() + "IMAGE"));
  EXPECT_TRUE(fs::FindFiles(DataPath() + "IMAGE\\*.*").empty());
  EXPECT_FALSE(fs::FindFiles(DataPath() + "KAVENTMP\\*.ADT").empty());
  EXPECT_FALSE(fs::FindFiles(DataPath() + "KAVENTMP\\*.ADI").empty());
  EXPECT_FALSE(fs::FindFiles(DataPath() + "KAVENTMP\\*.CSV").empty());

  // The archives hold their files, and the wallpaper is a JPEG picture.
  testing::TempFolder out;
  // The shipped tables come with their index files (rbJoin has none); CLMTMPL ships in the update archive too.
  const struct {
    const char *archive, *entry;
    int files;
  } kArchives[] = {{"wallpaper.zip", "wallpaper.jpg", 1},
                   {"UPDATEKV8.ZIP", "eQuillon.aep", 1},
                   {"UPDATEKV8.ZIP", "*.ADT", 4},
                   {"UPDATEKV8.ZIP", "*.ADI", 4},
                   {"RPTDATA.ZIP", "*.*", 5}};
  for (const auto& a : kArchives) {
    zip::ZipComponent zip;
    zip.SetZipFilename(DataPath() + a.archive);
    zip.SetUnzipToFolder(out.SuitePath());
    zip.AddFilesToProcess(a.entry);
    EXPECT_EQ(zip.Unzip(), a.files) << a.archive << " " << a.entry;
    if (HasCommand("unzip")) {
      EXPECT_EQ(std::system(("unzip -tqq '" + HostPath(a.archive) + "' > /dev/null").c_str()), 0) << a.archive;
    }
  }
  // The shipped tables open with their rows.
  engine::TAdsConnection shipped;
  shipped.SetConnectPath(out.SuitePath());
  EXPECT_EQ(Rows(shipped, "UPDATETBL").size(), 3u);
  EXPECT_EQ(Rows(shipped, "rbField").size(), 3u);
  std::ifstream jpeg(out.Path() / "wallpaper.jpg", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(jpeg)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF");
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
}

TEST(DemoIdentity, CheckLettersFollowThePublishedChecksum) {
  const struct {
    const char* number;
    bool valid;
  } kCases[] = {{"S1234567D", true}, {"T1234567J", true}, {"F1234567N", true}, {"G1234567X", true},
                {"S1234567A", false}, {"F1234567D", false}, {"X1234567D", false}, {"S123456D", false},
                {"S12345A7D", false}};
  for (const auto& c : kCases) EXPECT_EQ(IsValidIdentityNumber(c.number), c.valid) << c.number;
  EXPECT_EQ(MakeIdentityNumber('S', "0000001"), "S0000001I");
}

// Every row of every table of every company, as text.
std::vector<std::string> Everything(const std::string& dataPath, int companies) {
  std::vector<std::string> all;
  TAdsConnection registry;
  registry.SetConnectPath(dataPath);
  for (const std::string& row : Rows(registry, "mcompany.ADT")) all.push_back(row);
  for (int i = 1; i <= companies; ++i) {
    const std::string code = "DEMO0" + std::to_string(i);
    auto c = Connect(dataPath, code);
    TAdsConnection folder;
    folder.SetConnectPath(dataPath + "COMPANY\\" + code);
    for (const fs::FindEntry& f : fs::FindFiles(dataPath + "COMPANY\\" + code + "\\*.ADT"))
      for (const std::string& row : Rows(f.name == "TEMP_EMP.ADT" ? folder : *c, f.name))
        all.push_back(code + " " + f.name + ": " + row);
  }
  return all;
}

TEST(DemoSeed, SameSeedMakesTheSameRowsAnotherSeedOthers) {
  testing::TempFolder dir;
  auto make = [&](const std::string& name, const std::string& seed) {
    const DemoRun r = RunDemo({(dir.Path() / name).string(), "--companies", "2", "--employees", "8", "--dictionary", "1",
                           "--seed", seed});
    EXPECT_EQ(r.exit, 0) << r.err;
    return Everything(dir.SuitePath() + name + "\\", 2);
  };
  const std::vector<std::string> first = make("a", "42");
  const std::vector<std::string> again = make("b", "42");
  const std::vector<std::string> other = make("c", "43");
  EXPECT_GT(first.size(), 100u);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
}

TEST(DemoFolder, RefusesAFolderThatHoldsAnythingAndTakesAnEmptyOne) {
  testing::TempFolder dir;
  dir.Write("old/KAVEN.ini", "[PATH]\r\nDIR=\r\n");
  const DemoRun refused = RunDemo({(dir.Path() / "old").string()});
  EXPECT_EQ(refused.exit, 2);
  EXPECT_NE(refused.err.find("not empty"), std::string::npos) << refused.err;
  EXPECT_EQ(fs::FindFiles(dir.SuitePath() + "old\\*.*").size(), 1u);  // nothing was added

  dir.Write("file", "x");
  EXPECT_EQ(RunDemo({(dir.Path() / "file").string()}).exit, 2);

  std::filesystem::create_directories(dir.Path() / "empty");
  const DemoRun made = RunDemo({(dir.Path() / "empty").string(), "--companies", "1", "--employees", "2", "--dictionary", "0"});
  EXPECT_EQ(made.exit, 0) << made.err;
  EXPECT_TRUE(fs::FileExists(dir.SuitePath() + "empty\\COMPANY\\DEMO01\\PAYPARA.ADT"));

  // A folder named relative to the current one.
  const std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  const DemoRun relative = RunDemo({"relative", "--companies", "1", "--employees", "2", "--dictionary", "1"});
  std::filesystem::current_path(was);
  EXPECT_EQ(relative.exit, 0) << relative.err;
  EXPECT_TRUE(fs::FileExists(dir.SuitePath() + "relative\\COMPANY\\DEMO01\\DEMO01.add"));
}

TEST(DemoFolder, BadArgumentsAreRefusedWithTheUsage) {
  testing::TempFolder dir;
  const std::string target = (dir.Path() / "new").string();
  const std::vector<std::vector<std::string>> kCases = {
      {},
      {target, "--companies"},
      {target, "--companies", "many"},
      {target, "--employees", "0"},
      {target, "--companies", "2", "--dictionary", "3"},
      {target, "--colour", "blue"},
      {target, target + "2"},
  };
  for (const auto& args : kCases) {
    const DemoRun r = RunDemo(args);
    EXPECT_EQ(r.exit, 2) << (args.empty() ? "" : args.back());
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::FolderExists(target));
  const DemoRun help = RunDemo({"--help"});
  EXPECT_EQ(help.exit, 0);
  for (const char* word : {"--companies", "--employees", "--dictionary", "--seed", "readuser", "KAVENPAY8", "USER88"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace kv::demo
