#pragma once
// A tiny installation for the console's tests, made through the engine in a temp folder: the program's folder
// (which is also the data path unless "KAVEN.ini" says otherwise), the registry "mcompany.ADT", and company
// folders holding the few tables a company run touches, as free tables or under a dictionary.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ace/ace_dictionary.h"
#include "common/temp_folder.h"
#include "console/form.h"
#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "platform/zip.h"

namespace kv::console::testing {

using engine::TFieldDefs;
using engine::TFieldType;
using engine::TIndexOption;
using FT = engine::TFieldType;

struct Company {
  std::string code;
  std::string name;
  std::string merge;  // "1" selected
};

// One table to make: name, fields, and plain or unique indexes ("TAG=KEY", "!TAG=KEY" for unique).
struct TableSpec {
  std::string name;
  std::function<void(TFieldDefs&)> fields;
  std::vector<std::string> indexes;
};

// What the company run touches, in the shape an older release left it.
inline std::vector<TableSpec> CompanyTables() {
  return {
      {"PAYPARA", [](TFieldDefs& f) { f.Add("COMPANY", FT::ftString, 40); f.Add("VERSION", FT::ftCurrency); }, {}},
      {"PUBLIC",
       [](TFieldDefs& f) {
         f.Add("FINPERIOD", FT::ftString, 4);
         f.Add("DATE", FT::ftDate);
         f.Add("DESC", FT::ftString, 40);
       },
       {"DATE=DATE"}},
      {"transfer", [](TFieldDefs& f) { f.Add("EMP_CODE", FT::ftString, 12); }, {}},
      {"PASS",
       [](TFieldDefs& f) {
         f.Add("USERID", FT::ftString, 10);
         f.Add("PASSWORD", FT::ftString, 10);  // the column lists widen these two
         f.Add("PRINTER", FT::ftString, 2);
       },
       {}},
      {"EMP_ALW", [](TFieldDefs& f) { f.Add("EMP_CODE", FT::ftString, 12); f.Add("AMOUNT", FT::ftCurrency); }, {}},
      {"SYSCONT", [](TFieldDefs& f) { f.Add("CODE", FT::ftString, 10); }, {}},
      {"LOANS_RED", [](TFieldDefs& f) { f.Add("EMP_CODE", FT::ftString, 12); }, {}},
      {"RBITEM", [](TFieldDefs& f) { f.Add("ItemId", FT::ftInteger); f.Add("ID", FT::ftInteger); }, {}},
      {"RTABLE",
       [](TFieldDefs& f) {
         f.Add("NO", FT::ftString, 8);
         f.Add("NO2", FT::ftString, 8);
         f.Add("HEADING", FT::ftString, 30);
         f.Add("FIELD", FT::ftString, 20);
         f.Add("CODE", FT::ftString, 20);
         f.Add("DATABASE1", FT::ftString, 20);
         f.Add("TYPE1", FT::ftString, 1);
         f.Add("WIDTH", FT::ftInteger);
         f.Add("HIDE_WAGE", FT::ftString, 1);
       },
       {"NO=NO", "DATABASE1=DATABASE1;FIELD;CODE"}},
      {"FREEFIELD",
       [](TFieldDefs& f) {
         f.Add("MODULE", FT::ftString, 8);
         f.Add("LINE", FT::ftString, 2);
         f.Add("CTLFIELD", FT::ftString, 10);
         f.Add("DESCRIPTION", FT::ftString, 40);
         f.Add("CAPTION", FT::ftString, 40);
       },
       {}},
      {"FORMULA",
       [](TFieldDefs& f) {
         f.Add("FIELD", FT::ftString, 10);
         f.Add("DESC", FT::ftString, 40);
         f.Add("FIELDTABLE", FT::ftString, 20);
         f.Add("TABLE", FT::ftString, 20);
       },
       {"FIELD=FIELD"}},
      {"TRAINING", [](TFieldDefs& f) { f.Add("COURSE", FT::ftString, 10); f.Add("DEPARTMENT", FT::ftString, 10); }, {}},
      {"MEDSCH",
       [](TFieldDefs& f) {
         f.Add("SCHEME_CODE", FT::ftString, 10);
         f.Add("CLAIM_CODE", FT::ftString, 10);
         f.Add("SUBCLAIM", FT::ftString, 10);
         f.Add("CLAIMTYPE", FT::ftString, 1);
       },
       {"SCHEME_CODE=SCHEME_CODE;CLAIM_CODE"}},
      {"QUERY",
       [](TFieldDefs& f) {
         f.Add("CODE", FT::ftString, 10);
         f.Add("QTYPE", FT::ftString, 10);
         f.Add("STATUS", FT::ftString, 1);  // the column lists widen these two
         f.Add("STATUS2", FT::ftString, 1);
       },
       {}},
  };
}

// Makes a table through a connection (a folder, or a dictionary, which then registers it).
inline void MakeTable(engine::TAdsConnection& connection, const TableSpec& spec) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName(spec.name);
  t.SetExclusive(true);
  spec.fields(t.FieldDefs);
  t.CreateTable();
  t.Open();
  for (std::string index : spec.indexes) {
    const bool unique = index[0] == '!';
    if (unique) index.erase(0, 1);
    const auto eq = index.find('=');
    t.AddIndex(index.substr(0, eq), index.substr(eq + 1),
               unique ? engine::TIndexOptions{TIndexOption::ixUnique, TIndexOption::ixExpression}
                      : engine::TIndexOptions{TIndexOption::ixExpression});
  }
  t.Close();
}

// Rows appended to a table: each row is a list of (field, text) pairs set with SetAsString.
using Row = std::vector<std::pair<std::string, std::string>>;
inline void AppendRows(engine::TAdsConnection& connection, const std::string& table, const std::vector<Row>& rows) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName(table);
  t.Open();
  for (const Row& row : rows) {
    t.Append();
    for (const auto& [field, value] : row) t.FieldByName(field).SetAsString(value);
    t.Post();
  }
  t.Close();
}

// Every row of a table as text, "FIELD=value" joined by "|", in record order (on a dictionary or free table).
inline std::vector<std::string> RowsOf(engine::TAdsConnection& connection, const std::string& table,
                                       const std::vector<std::string>& fields, bool encrypted = false) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName(table);
  t.Open();
  if (encrypted) t.EnableEncryption(engine::kTablePassword);
  std::vector<std::string> rows;
  for (t.First(); !t.Eof(); t.Next()) {
    std::string row;
    for (const std::string& f : fields) row += (row.empty() ? "" : "|") + f + "=" + t.FieldByName(f).AsString();
    rows.push_back(row);
  }
  t.Close();
  return rows;
}

inline bool IsEncrypted(engine::TAdsConnection& connection, const std::string& table) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName(table);
  t.Open();
  const bool encrypted = t.IsTableEncrypted();
  t.Close();
  return encrypted;
}

// The names of the indexes of a table, with their key fields: "TAG:FIELDS".
inline std::vector<std::string> IndexesOf(engine::TAdsConnection& connection, const std::string& table) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName(table);
  t.UpdateIndexDefs();
  std::vector<std::string> tags;
  for (const engine::TIndexDef& d : t.IndexDefs) tags.push_back(d.Name + ":" + d.Fields);
  return tags;
}

// The names of the files an archive holds, extracted into a scratch folder, sorted.
inline std::vector<std::string> ArchiveFiles(const std::string& archive, const std::filesystem::path& scratch) {
  kv::zip::ZipComponent zip;
  zip.SetZipFilename(archive);
  zip.SetUnzipToFolder(scratch.string());
  zip.AddFilesToProcess("*");
  zip.Unzip();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(scratch)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Makes an archive of the given files of a folder (bare names).
inline void MakeArchive(const std::string& archive, const std::string& folder, const std::vector<std::string>& files) {
  kv::zip::ZipComponent zip;
  zip.SetZipFilename(archive);
  for (const std::string& f : files) zip.AddFilesToProcess(folder + f);
  zip.Zip();
}

class Installation : public ::testing::Test {
 protected:
  std::string DataPath() const { return dir.SuitePath(); }
  std::string ProgramFile() const { return dir.SuitePath() + "KV8MTN.EXE"; }
  std::string CompanyPath(const std::string& code) const { return DataPath() + "COMPANY\\" + code; }
  std::filesystem::path Host(const std::string& suitePath) const { return kv::fs::Resolve(suitePath); }

  void WriteIni(const std::string& text) const { dir.Write("KAVEN.ini", text); }

  // The registry with its unique index, or a registry that never had one (no index file).
  void MakeRegistry(const std::vector<Company>& companies, bool indexed = true) const {
    engine::TAdsConnection c;
    c.SetConnectPath(DataPath());
    MakeTable(c, {"mcompany.ADT",
                  [](TFieldDefs& f) {
                    f.Add("COMPANY_CODE", FT::ftString, 8);
                    f.Add("COMPANY_NAME", FT::ftString, 40);
                    f.Add("TOTAL_STAFF", FT::ftInteger);
                    f.Add("PAYROLL_ACCESS_NO", FT::ftInteger);
                    f.Add("MERGE", FT::ftString, 1);
                    f.Add("BACKUPDATE2", FT::ftDate);
                    f.Add("BACKUPDATE", FT::ftDate);
                  },
                  indexed ? std::vector<std::string>{"!PRIMARY=COMPANY_CODE"} : std::vector<std::string>{}});
    std::vector<Row> rows;
    for (const Company& company : companies)
      rows.push_back({{"COMPANY_CODE", company.code}, {"COMPANY_NAME", company.name}, {"MERGE", company.merge}});
    AppendRows(c, "mcompany.ADT", rows);
  }

  // The MERGE marks of the registry in its order: "CODE=mark".
  std::vector<std::string> Marks() const {
    engine::TAdsConnection c;
    c.SetConnectPath(DataPath());
    std::vector<std::string> marks;
    for (const std::string& row : RowsOf(c, "mcompany.ADT", {"COMPANY_CODE", "MERGE"})) marks.push_back(row);
    return marks;
  }

  // A company folder with the tables of a run, at data version 8.50; under its own dictionary when asked.
  void MakeCompany(const std::string& code, bool dictionary = false) {
    kv::fs::CreateFolders(CompanyPath(code));
    auto& c = Connect(code, dictionary);
    for (const TableSpec& spec : CompanyTables()) MakeTable(c, spec);
    AppendRows(c, "PAYPARA", {{{"COMPANY", code + " PTE LTD"}, {"VERSION", "8.5"}}});
  }

  // A connection to the company, kept open by the fixture: the folder, or the company's dictionary (made when
  // asked for the first time).
  engine::TAdsConnection& Connect(const std::string& code, bool dictionary = false) {
    auto c = std::make_unique<engine::TAdsConnection>();
    if (dictionary) {
      const std::string add = CompanyPath(code) + "\\" + code + ".add";
      if (!kv::fs::FileExists(add)) {
        ace::AdsHandle admin = 0;
        EXPECT_EQ(ace::AdsDDCreate(add, std::string(engine::kTablePassword), "", &admin), 0u);
        ace::AdsDisconnect(admin);
      }
      c->SetConnectPath(add);
      c->Username = "ADSSYS";
      c->Password = std::string(engine::kTablePassword);
    } else {
      c->SetConnectPath(CompanyPath(code));
    }
    connections_.push_back(std::move(c));
    return *connections_.back();
  }

  std::string VersionOf(const std::string& code, bool dictionary = false) {
    return RowsOf(Connect(code, dictionary), "PAYPARA", {"VERSION"}).at(0);
  }

  // A window on this installation, made and started up.
  std::unique_ptr<TForm1> StartedForm() {
    auto form = std::make_unique<TForm1>(ui, ProgramFile());
    form->FormCreate();
    form->FormShow();
    return form;
  }

  void TearDown() override {
    // The connections go before the folder does.
    connections_.clear();
  }

  kv::testing::TempFolder dir;
  kv::ui::ScriptedUi ui;

 private:
  std::vector<std::unique_ptr<engine::TAdsConnection>> connections_;
};

}  // namespace kv::console::testing
