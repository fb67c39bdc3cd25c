#include "upgrade/index_upgrade.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "support/strings.h"
#include "upgrade/index_lookup.h"
#include "upgrade/step_failure.h"

namespace kv::upgrade {

namespace {

using engine::TIndexOption;

// IR8AR is encrypted with the table password earlier in the run (the tax tables), so its step gives the password
// like the report tables do: without it a free-table company's IR8AR refused the statement and never got the
// index. RBTABLE's step gives it too: the password its group gives the statement first lives with the statement
// only until LEAV_TRX's statement of the group is closed, so in the run that made LEAVE_TRX1 the encrypted RBTABLE
// refused its statement (and got the index only in the next run). The password does no harm to a clear table.
constexpr WantedIndex kWanted[] = {
    {"FREEFIELD", "CTLFIELD", R"(Create Index "CTLFIELD" on FREEFIELD(MODULE,LINE,CTLFIELD))", "",
     kEveryMode | kClearPasswords},
    {"APPD8B", "INC_NO", R"(Create Index "INC_NO" on APPD8B(INC_NO))", "", kEveryMode | kClearPasswords},
    {"RPTRX", "EMPCODE;PAYCODE;PERIOD;CYCLE", R"(Create Index "PAYCODE" on RPTRX(EMPCODE,PAYCODE,PERIOD,CYCLE))", "",
     kTablePassword | kClearPasswords},
    {"RBFIELD", "TABLENAME;FIELDNAME", R"(Create Index "TABLENAME" on RBFIELD(TABLENAME,FIELDNAME))", "",
     kTablePassword | kClearPasswords},
    {"EMPLEAVE", "EMPCODE;START_DATE;LEAVE_CODE;ID", "", "EMPCODE1", kRbtablePasswordFirst | kUniqueDescending},
    {"LEAV_TRX", "LEAVE_CODE;EMPCODE;DATE;ID", R"(Create Index "LEAVE_TRX1" on LEAV_TRX( LEAVE_CODE,EMPCODE,"DATE",ID))",
     "", 0},
    {"RBTABLE", "TABLENAME", R"(Create Index "TABLENAME" on RBTABLE(TABLENAME))", "",
     kTablePassword | kClearPasswords},
    {"PQUERY", "CODE;QTYPE;ID", R"(Create Index "CODE2" on PQUERY(CODE,QTYPE,ID))", "", 0},
    {"LIEUTRX1", "EMP_NO;LEAVE_CODE;TRX_DATE;TRXID",
     R"(Create Index "EMP_NO2" on LIEUTRX1(EMP_NO,LEAVE_CODE,TRX_DATE,TRXID))", "", 0},
    {"LEAV_TRX", "LEAVE_CODE;EMPCODE;DATE;ID", R"(Create Index "EMP_NO" on LEAV_TRX(LEAVE_CODE,EMPCODE,"DATE",ID))", "",
     0},
    {"CODE", "CATEGORY;DESC", R"(Create Index "CATDESC" on CODE(CATEGORY,"DESC"))", "", kCloseCodeFirst},
    {"IR8AR", "USERID;EMPCODE;TYPE", R"(Create Index "PRIMARY1" on IR8AR(USERID,EMPCODE,TYPE ))", "",
     kTablePassword | kClearPasswords},
    {"MEDICAL", "EMPCODE;BNO", R"(Create Index "BNO" on MEDICAL(EMPCODE,BNO ))", "", 0},
    {"ALLOWNCE", "YEAR;RPTCODE", R"(Create Index "RPTCODE" on ALLOWNCE( YEAR,RPTCODE ))", "", kCloseQueryAfter},
    {"GLCOST", "LINE", R"(Create Index "  LINE" on GLCOST(LINE))", "", 0},
    {"PASSWORK", "USER;MENU", R"(Create Index "MENU1" on PASSWORK("USER",MENU))", "", 0},
    {"APPR", "EMP_CODE", R"(Create Index "EMPLOYEE" on APPR(EMP_CODE))", "", 0},
    {"P_HIST1", "USERID;EMPCODE;ID;ALW_CODE;DESC01",
     R"(Create Index "P_HIST" on P_HIST1(USERID,EMPCODE,ID,ALW_CODE,DESC01))", "", kTablePassword},
    {"APPRDTL", "EMPCODE;ID;SECTION", R"(Create Index "EMPLOYEE1" on APPRDTL(EMPCODE,ID,SECTION))", "", 0},
    {"APP_GRADE_SETUP", "JOB_GRADE;FROMMARK", R"(Create Index "FROMMARK" on APP_GRADE_SETUP(JOB_GRADE,FROMMARK))", "",
     0},
    {"LEAVESET", "PERIOD;SCHEME", R"(Create Index "PERIOD1" on LEAVESET(PERIOD,SCHEME))", "", 0},
    {"P_HIST4", "USERID;DEPT_CODE;CST_CODE;CAT_CODE;PAYCODE1",
     R"(Create Index "PAYCODE1" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE1))", "", 0},
    {"P_HIST4", "USERID;DEPT_CODE;CST_CODE;CAT_CODE;PAYCODE2",
     R"(Create Index "PAYCODE2" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE2))", "", kSameGuardAsPrevious},
    {"P_HIST4", "USERID;DEPT_CODE;CST_CODE;CAT_CODE;PAYCODE2;ID",
     R"(Create Index "ID" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE2,ID))", "", kSameGuardAsPrevious},
    {"INCOMETB", "YEAR;FORWHAT", "", "FORWHAT", 0},
};

constexpr RebuiltIndex kRebuilt[] = {
    {"TEMPPAYGROUP", "PAYGROUP", "PAYGROUP;YEAR;MONTH;TYPE"},
    {"RPTRX", "PAYCODE", "EMPCODE;PAYCODE;PERIOD;CYCLE"},
};

}  // namespace

std::string FieldsMadeBy(const WantedIndex& index) {
  const auto open = index.statement.rfind('(');
  const auto close = index.statement.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    return std::string(index.fields);
  std::string fields;
  std::string_view list = index.statement.substr(open + 1, close - open - 1);
  while (!list.empty()) {
    const auto comma = list.find(',');
    std::string_view field = TrimBlanks(list.substr(0, comma));
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = field.substr(1, field.size() - 2);
    if (!fields.empty()) fields += ';';
    fields += field;
    list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
  }
  return fields;
}

namespace {

bool OnDictionary(const engine::TAdsDataSet& dataSet) {
  return dataSet.AdsConnection() != nullptr && dataSet.AdsConnection()->IsDictionary();
}

// One wanted index: made when the table has no index on exactly its fields.
void AddWantedIndex(const IndexUpgradeObjects& o, const WantedIndex& wanted) {
  engine::TAdsTable& table = o.window.AdsTable1;
  engine::TAdsQuery& query = o.AdsQueryIndex;
  const bool freeTables = !OnDictionary(query);
  const std::string name(wanted.table);
  if (wanted.flags & kCloseCodeFirst) o.AdsTableCode.Close();
  // A step that failed half-way may have left the shared table open on its table.
  table.Close();
  query.SQL().Clear();
  table.SetTableName(name);
  table.Open();
  if (freeTables && (wanted.flags & kTablePassword)) {
    table.EnableEncryption(engine::kTablePassword);
    query.SetTablePassword(name, engine::kTablePassword);
  }
  if (HasIndexOnFields(table, wanted.fields)) return;
  if (wanted.statement.empty()) {
    const engine::TIndexOptions options =
        (wanted.flags & kUniqueDescending)
            ? engine::TIndexOptions{TIndexOption::ixUnique, TIndexOption::ixDescending, TIndexOption::ixExpression}
            : engine::TIndexOptions{TIndexOption::ixExpression};
    table.AddIndex(std::string(wanted.addIndexName), std::string(wanted.fields), options);
    table.Close();
    return;
  }
  query.Close();
  query.SQL().Add(std::string(wanted.statement));
  query.ExecSQL();
  query.CloseStatement();
  if (wanted.flags & kClearPasswords) query.ClearTablePasswords();
}

void RunSteps(const IndexUpgradeObjects& o, bool dictionaryMode) {
  const std::span<const WantedIndex> rows = WantedIndexes();
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t end = i + 1;
    while (end < rows.size() && (rows[end].flags & kSameGuardAsPrevious)) ++end;
    if (!dictionaryMode || (rows[i].flags & kEveryMode)) {
      if ((rows[i].flags & kRbtablePasswordFirst) && !dictionaryMode)
        (void)StepFailure([&] { o.AdsQueryIndex.SetTablePassword("RBTABLE", engine::kTablePassword); });
      (void)StepFailure([&] {
        for (std::size_t k = i; k < end; ++k) AddWantedIndex(o, rows[k]);
      });
    }
    i = end;
  }
}

}  // namespace

std::span<const WantedIndex> WantedIndexes() { return kWanted; }
std::span<const RebuiltIndex> RebuiltIndexes() { return kRebuilt; }

void UpgradeIndexes(const IndexUpgradeObjects& objects) {
  const bool dictionaryMode = OnDictionary(objects.AdsQueryIndex);
  RunSteps(objects, dictionaryMode);
  objects.window.AdsTable1.Close();
  if (!dictionaryMode) return;
  for (const RebuiltIndex& rebuilt : kRebuilt) RebuildIndexFile(objects.window, rebuilt.table);
}

void DropDictionaryIndexes(const WindowObjects& window, engine::TAdsConnection& connection, engine::TAdsTable& table,
                           std::string_view name) {
  table.SetAdsConnection(&connection);
  table.SetExclusive(true);
  table.AdsTableOptions.AdsRightsCheck = false;
  if (connection.IsDictionary()) {
    connection.Username = "ADSSYS";
    connection.Password = std::string(engine::kTablePassword);
    connection.LoginPrompt = false;
    // A table the dictionary does not hold, or one in use, keeps its registered indexes; the rebuild goes on.
    (void)StepFailure([&] {
      table.Open();
      table.Close();
      engine::TAdsDictionary& d = window.AdsDictionary1;
      d.Disconnect();
      d.SetConnectPath(connection.ConnectPath());
      d.Connect();
      const std::string registered = kv::ReplaceAll(kv::UpperCase(name), ".ADT", "");
      d.SetTableProperty16(registered, ace::dd_property::kAutoCreate, 0);
      std::vector<std::string> indexes;
      d.IndexNames(registered, indexes);
      for (const std::string& tag : indexes) d.DeleteIndex(registered, tag);
      d.SetTableProperty16(registered, ace::dd_property::kAutoCreate, 1);
    });
  }
  connection.Connect();
}

void RebuildIndexFile(const WindowObjects& window, std::string_view name) {
  // Objects of its own, freed table first whatever happens.
  auto connection = std::make_unique<engine::TAdsConnection>();
  connection->SetConnectPath(window.AdsConnection1.ConnectPath());
  connection->AdsServerTypes.stADS_REMOTE = true;
  connection->AdsServerTypes.stADS_LOCAL = true;
  auto table = std::make_unique<engine::TAdsTable>();
  table->SetAdsConnection(connection.get());
  table->SetTableName(std::string(name));
  window.ui.ProcessMessages();

  const auto failure = StepFailure([&] {
    DropDictionaryIndexes(window, *connection, *table, name);
    connection->Connect();
    table->SetTableType(engine::TAdsTableTypes::ttAdsADT);
    kv::fs::DeleteFile(window.AdsConnection1.TableFolder() + "\\" + std::string(name) + ".ADI");
    table->AdsTableOptions.AdsCharType = engine::TAdsCharTypes::ANSI;
    for (const RebuiltIndex& rebuilt : kRebuilt) {
      if (!kv::SameText(rebuilt.table, name)) continue;
      table->Open();
      table->AddIndex(std::string(rebuilt.name), std::string(rebuilt.fields), {TIndexOption::ixExpression});
      table->Close();
    }
  });
  // Closed and freed also after a failure, which then goes on to the caller.
  (void)StepFailure([&] { table->Close(); });
  (void)StepFailure([&] { connection->Disconnect(); });
  table.reset();
  connection.reset();
  // The dictionary stage leaves AdsDictionary1 connected; the window's dictionary object is kept disconnected
  // between routines.
  (void)StepFailure([&] { window.AdsDictionary1.Disconnect(); });
  if (failure) throw std::runtime_error(*failure);
}

}  // namespace kv::upgrade
