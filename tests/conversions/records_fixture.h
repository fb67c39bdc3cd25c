#pragma once
// One company of free tables in a temp folder, with the window's objects the record conversions use placed as
// the window places them (names, tables, orders), and helpers to make tables with rows and read them back
// through a connection of the test's own, as a user looking afterwards would.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/temp_folder.h"
#include "conversions/record_objects.h"
#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/ui.h"

namespace kv::conversions::testing {

using FT = engine::TFieldType;
using Row = std::vector<std::pair<std::string, std::string>>;

struct Field {
  std::string name;
  FT type;
  int size = 0;
};

class Records : public ::testing::Test {
 protected:
  std::string Folder() const { return dir.SuitePath() + "COMPANY\\ABC"; }

  void SetUp() override {
    kv::fs::CreateFolders(Folder());
    for (engine::TAdsTable* t : {&AdsTable1, &AdsTable3, &AdsTableEmp, &AdsTableCareer, &AdsTableHTRX, &wwTableGrpTrx,
                                 &AdsTableAppr, &wwTableTrnno, &TableTrnno})
      t->SetAdsConnection(&AdsConnection1);
    AdsTable1.SetExclusive(true);
    AdsQuery1.SetAdsConnection(&AdsConnection1);
    AdsTableEmp.SetTableName("EMPLOYEE.ADT");
    AdsTableEmp.SetIndexFieldNames("EMP_NO");
    AdsTableCareer.SetTableName("EMP_PROS.ADT");
    AdsTableCareer.SetIndexFieldNames("EMP_CODE;PAY_EFFECTIVE_DATE;ID");
    wwTableGrpTrx.SetTableName("PGRP_TRX.ADT");
    wwTableGrpTrx.SetIndexFieldNames("PAY_GROUP;PERIOD");
    AdsTableAppr.SetTableName("APPR.ADT");
    wwTableTrnno.SetTableName("TRNNO");
    TableTrnno.SetTableName("TRNNO.ADT");
    AdsConnection1.SetConnectPath(Folder());
  }

  void TearDown() override {
    for (engine::TAdsDataSet* t : std::initializer_list<engine::TAdsDataSet*>{
             &AdsTable1, &AdsTable3, &AdsTableEmp, &AdsTableCareer, &AdsTableHTRX, &wwTableGrpTrx, &AdsTableAppr,
             &wwTableTrnno, &TableTrnno, &AdsQuery1})
      t->Close();
    AdsConnection1.Disconnect();
  }

  // A free table with its fields, indexes ("TAG=FIELD;FIELD") and rows; encrypted with the table password when
  // asked, as the suite keeps its employee tables.
  void Make(const std::string& name, const std::vector<Field>& fields, const std::vector<std::string>& indexes,
            const std::vector<Row>& rows, bool encrypted = false) {
    engine::TAdsConnection c;
    c.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(name);
    t.SetExclusive(true);
    for (const Field& f : fields) t.FieldDefs.Add(f.name, f.type, f.size);
    t.CreateTable();
    t.Open();
    for (const std::string& index : indexes) {
      const auto eq = index.find('=');
      t.AddIndex(index.substr(0, eq), index.substr(eq + 1), {engine::TIndexOption::ixExpression});
    }
    for (const Row& row : rows) {
      t.Append();
      for (const auto& [field, value] : row) t.FieldByName(field).SetAsString(value);
      t.Post();
    }
    if (encrypted) {
      t.EnableEncryption(engine::kTablePassword);
      t.EncryptTable();
    }
    t.Close();
  }

  // Rows in the order of `order` (natural order when empty), "FIELD=value" joined by "|".
  std::vector<std::string> RowsOf(const std::string& table, const std::vector<std::string>& fields,
                                  const std::string& order = "") {
    engine::TAdsConnection c;
    c.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.SetIndexFieldNames(order);
    t.Open();
    if (t.IsTableEncrypted()) t.EnableEncryption(engine::kTablePassword);
    std::vector<std::string> rows;
    for (t.First(); !t.Eof(); t.Next()) {
      std::string row;
      for (const std::string& f : fields) row += (row.empty() ? "" : "|") + f + "=" + t.FieldByName(f).AsString();
      rows.push_back(row);
    }
    t.Close();
    return rows;
  }

  RecordObjects Objects() {
    return {AdsConnection1, AdsTable1,    AdsTable3,    AdsQuery1,  AdsTableEmp, AdsTableCareer, AdsTableHTRX,
            wwTableGrpTrx,  AdsTableAppr, wwTableTrnno, TableTrnno, ui,
            [this](const std::string& text) { progress.push_back(text); }};
  }

  kv::testing::TempFolder dir;
  kv::ui::ScriptedUi ui;
  std::vector<std::string> progress;
  engine::TAdsConnection AdsConnection1{"AdsConnection1", "Form1"};
  engine::TAdsTable AdsTable1{"AdsTable1", "Form1"};
  engine::TAdsTable AdsTable3{"AdsTable3", "Form1"};
  engine::TAdsQuery AdsQuery1{"AdsQuery1", "Form1"};
  engine::TAdsTable AdsTableEmp{"AdsTableEmp", "Form1"};
  engine::TAdsTable AdsTableCareer{"AdsTableCareer", "Form1"};
  engine::TAdsTable AdsTableHTRX{"AdsTableHTRX", "Form1"};
  engine::TAdsTable wwTableGrpTrx{"wwTableGrpTrx", "Form1"};
  engine::TAdsTable AdsTableAppr{"AdsTableAppr", "Form1"};
  engine::TAdsTable wwTableTrnno{"wwTableTrnno", "Form1"};
  engine::TAdsTable TableTrnno{"TableTrnno", "Form1"};
};

}  // namespace kv::conversions::testing
