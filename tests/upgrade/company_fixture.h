#pragma once
// One company in a temp installation for the column upgrade and dictionary tests: the registry mcompany.ADT
// (positioned on the company, as during a run), the company folder "ABC" of free tables or under its dictionary
// ABC.add (with the suite's users readuser, KAVENPAY8 and USER88), and the window's objects the routines use.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ace/ace.h"
#include "ace/ace_dictionary.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "upgrade/window_objects.h"

namespace kv::upgrade::testing {

using engine::TFieldDefs;
using FT = engine::TFieldType;

// A table to make, its rows ("FIELD=value" pairs set as text), and whether it is kept encrypted.
struct TableSpec {
  std::string name;
  std::function<void(TFieldDefs&)> fields;
  std::vector<std::vector<std::pair<std::string, std::string>>> rows{};
  bool encrypted = false;
};

class Company : public ::testing::Test {
 protected:
  static constexpr const char* kCode = "ABC";

  std::string DataPath() const { return dir.SuitePath(); }
  std::string Folder() const { return DataPath() + "COMPANY\\" + kCode; }
  std::string DictionaryPath() const { return Folder() + "\\" + kCode + ".add"; }

  void SetUp() override {
    kv::fs::CreateFolders(Folder());
    MakeRegistry();
    AdsDictionary1.UserName = "ADSSYS";
    AdsDictionary1.Password = std::string(engine::kTablePassword);
    AdsConnection1.Username = "ADSSYS";
    AdsConnection1.Password = std::string(engine::kTablePassword);
    AdsTable1.SetAdsConnection(&AdsConnection1);
    AdsQuery1.SetAdsConnection(&AdsConnection1);
  }

  void TearDown() override {
    ace::AdsTraceStop();
    AdsTable1.Close();
    AdsQuery1.Close();
    AdsTableCompany.Close();
    AdsDictionary1.Disconnect();
    AdsConnection1.Disconnect();
    registry.Disconnect();
  }

  // The company as free tables (AdsConnection1 on the folder, Tag 0) with these tables.
  void MakeFreeCompany(const std::vector<TableSpec>& tables) {
    for (const TableSpec& spec : tables) MakeTable(spec, true);
    AdsConnection1.SetConnectPath(Folder());
    AdsConnection1.SetTag(0);
    AdsConnection1.Connect();
  }

  // The company under ABC.add (AdsConnection1 on it, Tag 99): every table registered with auto-create on, the
  // suite's users' rights, and the dictionary's encryption for the encrypted ones. `users` false makes a
  // dictionary without the suite's users.
  void MakeDictionaryCompany(const std::vector<TableSpec>& tables, bool users = true) {
    ace::AdsHandle admin = 0;
    ASSERT_EQ(ace::AdsDDCreate(DictionaryPath(), std::string(engine::kTablePassword), "", &admin), 0u);
    ace::AdsDisconnect(admin);
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    if (users)
      for (const char* user : {"readuser", "KAVENPAY8", "USER88"}) d.CreateUser("", user, "pw", "");
    for (const TableSpec& spec : tables) {
      MakeTable(spec, false);
      d.AddTable(spec.name, spec.name + ".ADT", "", "", engine::TAdsTableTypes::ttAdsADT,
                 engine::TAdsCharTypes::ANSI);
      d.SetTableProperty16(spec.name, ace::dd_property::kAutoCreate, 1);
      if (spec.encrypted) d.SetTableProperty16(spec.name, ace::dd_property::kEncryption, 1);
    }
    d.Disconnect();
    AdsConnection1.SetConnectPath(DictionaryPath());
    AdsConnection1.SetTag(kDictionaryModeTag);
    AdsConnection1.Connect();
  }

  void ConnectAdmin(engine::TAdsDictionary& d) const {
    d.SetConnectPath(DictionaryPath());
    d.UserName = "ADSSYS";
    d.Password = std::string(engine::kTablePassword);
    d.Connect();
  }

  // ---- what a user would look at afterwards, through connections of its own ----

  // Rows of a table in record order, "FIELD=value" joined by "|"; free tables are read with the password.
  std::vector<std::string> RowsOf(const std::string& table, const std::vector<std::string>& fields,
                                  bool throughDictionary = false) {
    engine::TAdsConnection c;
    Point(c, throughDictionary);
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.Open();
    if (!throughDictionary && t.IsTableEncrypted()) t.EnableEncryption(engine::kTablePassword);
    std::vector<std::string> rows;
    for (t.First(); !t.Eof(); t.Next()) {
      std::string row;
      for (const std::string& f : fields) row += (row.empty() ? "" : "|") + f + "=" + t.FieldByName(f).AsString();
      rows.push_back(row);
    }
    t.Close();
    return rows;
  }

  // "NAME:type:size" for each field, e.g. "PRINTER:ftString:4".
  std::vector<std::string> FieldsOf(const std::string& table, bool throughDictionary = false) {
    engine::TAdsConnection c;
    Point(c, throughDictionary);
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.Open();
    std::vector<std::string> fields;
    for (const auto& f : t.Fields())
      fields.push_back(f->FieldName() + ":" + std::string(engine::FieldTypeName(f->DataType())) + ":" +
                       std::to_string(f->Size()));
    t.Close();
    return fields;
  }

  // The table's files as the engine sees them, opened as a free table in the folder.
  bool FileEncrypted(const std::string& table) {
    engine::TAdsConnection c;
    c.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.Open();
    const bool encrypted = t.IsTableEncrypted();
    t.Close();
    return encrypted;
  }

  // "NAME=FIELDS" for every index of the table, as the engine reports them.
  std::vector<std::string> IndexesOf(const std::string& table, bool throughDictionary = false) {
    engine::TAdsConnection c;
    Point(c, throughDictionary);
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.UpdateIndexDefs();
    std::vector<std::string> indexes;
    for (const engine::TIndexDef& index : t.IndexDefs) indexes.push_back(index.Name + "=" + index.Fields);
    return indexes;
  }

  // The company leaves the registry behind the routine's back.
  void RemoveCompanyFromRegistry() {
    engine::TAdsConnection c;
    c.SetConnectPath(DataPath());
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName("mcompany.ADT");
    t.SetIndexFieldNames("COMPANY_CODE");
    t.Open();
    ASSERT_TRUE(t.FindKey({engine::TKeyValue(std::string(kCode))}));
    t.Delete();
    t.Close();
  }

  std::vector<std::string> RegisteredTables() {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    std::vector<std::string> names;
    d.TableNames(names);
    return names;
  }

  std::uint16_t Property(const std::string& table, std::uint16_t property) {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    return d.GetTableProperty16(table, property);
  }

  void SetProperty(const std::string& table, std::uint16_t property, std::uint16_t value) {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    d.SetTableProperty16(table, property, value);
  }

  // "accessor=rights" for each standard accessor that holds rights on the table.
  std::vector<std::string> RightsOn(const std::string& table) {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    std::vector<std::string> held;
    for (const char* accessor : {"readuser", "KAVENPAY8", "USER88", "UTC"}) {
      std::string rights;
      if (ace::AdsDDGetObjectAccessRights(d.Handle(), table, accessor, &rights) == 0 && !rights.empty())
        held.push_back(std::string(accessor) + "=" + rights);
    }
    return held;
  }

  std::vector<std::string> Users() {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    std::vector<std::string> users;
    d.UserNames(users);
    return users;
  }

  // The statement texts the engine was given to prepare while the trace ran, and whether a call was made.
  static std::vector<std::string> PreparedStatements(const std::vector<std::string>& trace) {
    std::vector<std::string> texts;
    for (const std::string& call : trace) {
      if (call.rfind("AdsPrepareSQL(", 0) != 0) continue;
      const auto first = call.find('"');
      const auto last = call.rfind('"');
      texts.push_back(call.substr(first + 1, last - first - 1));
    }
    return texts;
  }
  static bool Called(const std::vector<std::string>& trace, const std::string& name) {
    for (const std::string& call : trace)
      if (call.rfind(name + "(", 0) == 0) return true;
    return false;
  }

  WindowObjects Window() {
    return {AdsTable1, AdsQuery1, AdsConnection1, AdsDictionary1, AdsTableCompany, ui,
            [this](const std::string& text) { progress.push_back(text); }, DataPath()};
  }

  kv::testing::TempFolder dir;
  kv::ui::ScriptedUi ui;
  std::vector<std::string> progress;  // Edit1, line by line
  engine::TAdsConnection registry{"AdsConnection2", "Form1"};
  engine::TAdsConnection AdsConnection1{"AdsConnection1", "Form1"};
  engine::TAdsDictionary AdsDictionary1{"AdsDictionary1", "Form1"};
  engine::TAdsTable AdsTableCompany{"AdsTableCompany", "Form1"};
  engine::TAdsTable AdsTable1{"AdsTable1", "Form1"};
  engine::TAdsQuery AdsQuery1{"AdsQuery1", "Form1"};

  void Point(engine::TAdsConnection& c, bool throughDictionary) const {
    if (throughDictionary) {
      c.SetConnectPath(DictionaryPath());
      c.Username = "ADSSYS";
      c.Password = std::string(engine::kTablePassword);
    } else {
      c.SetConnectPath(Folder());
    }
  }

 private:
  // Made as a free table in the folder; encrypted with the table password when `freeEncryption` asks for it.
  void MakeTable(const TableSpec& spec, bool freeEncryption) const {
    engine::TAdsConnection c;
    c.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(spec.name);
    t.SetExclusive(true);
    spec.fields(t.FieldDefs);
    t.CreateTable();
    t.Open();
    for (const auto& row : spec.rows) {
      t.Append();
      for (const auto& [field, value] : row) t.FieldByName(field).SetAsString(value);
      t.Post();
    }
    if (spec.encrypted && freeEncryption) {
      t.EnableEncryption(engine::kTablePassword);
      t.EncryptTable();
    }
    t.Close();
  }

  void MakeRegistry() {
    registry.SetConnectPath(DataPath());
    {
      engine::TAdsTable t;
      t.SetAdsConnection(&registry);
      t.SetTableName("mcompany.ADT");
      t.SetExclusive(true);
      t.FieldDefs.Add("COMPANY_CODE", FT::ftString, 8);
      t.FieldDefs.Add("MERGE", FT::ftString, 1);
      t.CreateTable();
      t.Open();
      t.AddIndex("PRIMARY", "COMPANY_CODE", {engine::TIndexOption::ixUnique, engine::TIndexOption::ixExpression});
      for (const char* code : {"AAA", kCode, "ZZZ"}) {
        t.Append();
        t.FieldByName("COMPANY_CODE").SetAsString(code);
        t.Post();
      }
      t.Close();
    }
    AdsTableCompany.SetAdsConnection(&registry);
    AdsTableCompany.SetTableName("mcompany.ADT");
    AdsTableCompany.SetIndexFieldNames("COMPANY_CODE");
    AdsTableCompany.Open();
    ASSERT_TRUE(AdsTableCompany.FindKey({engine::TKeyValue(std::string(kCode))}));
  }
};

}  // namespace kv::upgrade::testing
