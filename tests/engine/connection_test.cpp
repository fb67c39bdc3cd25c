#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "platform/ui.h"

namespace kv::engine::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(TableFolder, DictionaryFilesAndTrailingSeparatorsAreCut) {
  struct Case {
    const char* path;
    const char* folder;
    bool dictionary;
  };
  const Case cases[] = {
      {"X:\\KV\\COMPANY\\ABC\\ABC.add", "X:\\KV\\COMPANY\\ABC", true},
      {"C:\\DATA\\ABC\\ABC.add", "C:\\DATA\\ABC", true},
      {"C:\\DATA\\ABC\\", "C:\\DATA\\ABC", false},
      {"C:\\DATA\\ABC", "C:\\DATA\\ABC", false},
      {"ABC.ADD", ".", true},  // no separator: the current folder
      {"c:\\kv\\COMPANY\\A1\\a1.Add", "c:\\kv\\COMPANY\\A1", true},
  };
  for (const Case& c : cases) {
    TAdsConnection connection;
    connection.SetConnectPath(c.path);
    EXPECT_EQ(connection.TableFolder(), c.folder) << c.path;
    EXPECT_EQ(connection.IsDictionary(), c.dictionary) << c.path;
    EXPECT_EQ(connection.ConnectPath(), c.path);
  }
}

TEST_F(FreeTables, ConnectSendsTheServerMaskAndNoCredentialsToAFolder) {
  connection.Username = "ADSSYS";
  connection.Password = "MOLAR3816";
  const auto trace = Traced([&] { connection.SetIsConnected(true); });
  ASSERT_EQ(CallsOf(trace, "AdsConnect60").size(), 1u);
  EXPECT_EQ(CallsOf(trace, "AdsConnect60")[0], "AdsConnect60(" + dir.SuitePath() + ", 3, , , 0)");
  EXPECT_TRUE(connection.IsConnected());
  EXPECT_NE(connection.Handle(), 0u);
  EXPECT_EQ(connection.ServerKind(), "Local");
  connection.SetIsConnected(false);
  EXPECT_EQ(connection.ServerKind(), "");
  EXPECT_EQ(connection.Handle(), 0u);
}

TEST_F(FreeTables, ConnectAndStatementsShowAWaitCursorAndRestoreItAlsoOnFailure) {
  kv::ui::ScriptedUi ui;
  SetCursorPort(&ui);
  struct Reset {
    ~Reset() { SetCursorPort(nullptr); }
  } reset;
  connection.Connect();
  TAdsConnection missing;
  missing.SetConnectPath(dir.SuitePath() + "NO_SUCH_FOLDER\\");
  EXPECT_THROW(missing.Connect(), EADSDatabaseError);
  TAdsQuery query;
  query.SetAdsConnection(&connection);
  query.SQL().Add("SELEKT nonsense");
  EXPECT_THROW(query.ExecSQL(), EADSDatabaseError);
  std::vector<kv::ui::Cursor> cursors;
  for (const auto& e : ui.Events())
    if (e.kind == kv::ui::ScriptedUi::Event::Kind::ScreenCursor) cursors.push_back(e.cursor);
  using kv::ui::Cursor;
  EXPECT_THAT(cursors, ElementsAre(Cursor::Hourglass, Cursor::Default, Cursor::Hourglass, Cursor::Default,
                                   Cursor::SqlWait, Cursor::Default));
  EXPECT_EQ(ui.ScreenCursor(), Cursor::Default);
}

TEST_F(FreeTables, DisconnectClosesAttachedTablesAndQueriesFirst) {
  MakeTable("CODE", [](TFieldDefs& f) { f.Add("CODE", TFieldType::ftString, 4); });
  TAdsTable table;
  table.SetAdsConnection(&connection);
  table.SetTableName("CODE");
  table.Open();
  TAdsQuery query;
  query.SetAdsConnection(&connection);
  query.SQL().Add("SELECT * FROM CODE");
  query.Open();
  EXPECT_EQ(connection.DataSets().size(), 2u);
  const auto trace = Traced([&] { connection.Disconnect(); });
  EXPECT_FALSE(table.Active());
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(query.StatementHandle(), 0u);
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(CallNames(trace).back(), "AdsDisconnect");
  // Both reopen on a new connection by themselves.
  table.Open();
  query.Open();
  EXPECT_TRUE(connection.IsConnected());
}

TEST_F(FreeTables, AFailedDisconnectRaisesAdsErrorWithTheEngineText) {
  connection.Connect();
  ASSERT_EQ(ace::AdsDisconnect(connection.Handle()), 0u);  // the handle is gone behind the object's back
  try {
    connection.Disconnect();
    FAIL() << "a dead handle disconnected";
  } catch (const AdsError& e) {
    ace::ResultCode code = 0;
    std::string text;
    ace::AdsGetLastError(&code, &text);
    EXPECT_EQ(std::string(e.what()), text);
    EXPECT_EQ(e.ACEErrorCode(), code);
    EXPECT_EQ(code, ace::code::kInvalidHandle);
  }
  EXPECT_FALSE(connection.IsConnected());  // the engine holds nothing under that handle: it is forgotten
  EXPECT_NO_THROW(connection.Connect());
}

TEST_F(FreeTables, DisconnectClosesEveryDatasetAndGivesTheHandleBackWhenAClosingFails) {
  MakeTable("CODE", [](TFieldDefs& f) { f.Add("CODE", TFieldType::ftString, 4); });
  TAdsTable first, broken, last;
  TAdsQuery query;
  for (TAdsTable* t : {&first, &broken, &last}) {
    t->SetAdsConnection(&connection);
    t->SetTableName("CODE");
    t->Open();
  }
  query.SetAdsConnection(&connection);
  query.SQL().Add("SELECT * FROM CODE");
  query.Open();
  ASSERT_EQ(ace::AdsCloseTable(broken.Handle()), 0u);  // closing it again fails
  const ace::AdsHandle handle = connection.Handle();
  ace::AdsTraceStart();
  try {
    connection.Disconnect();
    ADD_FAILURE() << "the failed close was not reported";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(e.ACEErrorCode(), ace::code::kInvalidHandle);
  }
  const auto names = CallNames(ace::AdsTraceStop());
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), "AdsDisconnect");
  for (TAdsDataSet* ds : std::initializer_list<TAdsDataSet*>{&first, &broken, &last, &query})
    EXPECT_FALSE(ds->Active());
  EXPECT_FALSE(connection.IsConnected());
  std::uint16_t type = 0;
  EXPECT_EQ(ace::AdsGetConnectionType(handle, &type), ace::code::kInvalidHandle);  // the engine let it go

  // A connection destroyed in the same state gives its handle back too.
  ace::AdsHandle dropped = 0;
  TAdsTable t;
  {
    TAdsConnection shortLived;
    shortLived.SetConnectPath(dir.SuitePath());
    t.SetAdsConnection(&shortLived);
    t.SetTableName("CODE");
    t.Open();
    dropped = shortLived.Handle();
    ASSERT_EQ(ace::AdsCloseTable(t.Handle()), 0u);
  }
  EXPECT_EQ(ace::AdsGetConnectionType(dropped, &type), ace::code::kInvalidHandle);
}

TEST_F(FreeTables, ExecuteRunsOneStatementAndClosesItEvenWhenItFails) {
  MakeTable("OLDTABLE", [](TFieldDefs& f) { f.Add("A", TFieldType::ftInteger); });
  for (int i = 0; i < 3; ++i) connection.Execute("INSERT INTO OLDTABLE (A) VALUES (" + std::to_string(i) + ")");
  EXPECT_EQ(connection.Execute("UPDATE OLDTABLE SET A = 7 WHERE A > 0"), 2u);
  auto trace = Traced([&] { connection.Execute("DROP TABLE [OLDTABLE];"); });
  EXPECT_THAT(CallNames(trace), ElementsAre("AdsCreateSQLStatement", "AdsPrepareSQL", "AdsExecuteSQLDirect",
                                            "AdsGetRecordCount", "AdsCloseSQLStatement"));
  EXPECT_FALSE(kv::fs::FileExists(dir.SuitePath() + "OLDTABLE.adt"));
  trace = Traced([&] { EXPECT_THROW(connection.Execute("DROP TABLE [OLDTABLE];"), EADSDatabaseError); });
  EXPECT_EQ(CallNames(trace).back(), "AdsCloseSQLStatement");
}

TEST_F(FreeTables, EngineErrorsCarryWhereTheyHappenAndNamedObjectsPrefixTheirName) {
  TAdsConnection placed("AdsConnection2", "Form1");
  placed.SetConnectPath(dir.SuitePath());
  TAdsTable named("AdsTableCompany", "Form1");
  named.SetDatabaseName("AdsConnection2");
  named.SetTableName("mcompany.ADT");
  EXPECT_EQ(named.AdsConnection(), &placed);
  try {
    named.Open();
    FAIL() << "a missing table opened";
  } catch (const EADSDatabaseError& e) {
    ace::ResultCode code = 0;
    std::string text;
    ace::AdsGetLastError(&code, &text);
    EXPECT_EQ(e.ACEErrorCode(), code);
    EXPECT_EQ(e.ErrorText(), text);
    EXPECT_EQ(std::string(e.what()), "AdsTableCompany: " + text);
    EXPECT_EQ(e.ComponentName(), "AdsTableCompany");
    EXPECT_EQ(e.OwnerName(), "Form1");
    EXPECT_EQ(e.DatabaseName(), "AdsConnection2");
    EXPECT_EQ(e.TableFolder(), Folder());
    EXPECT_EQ(e.TableName(), "mcompany.ADT");
  }
  TAdsTable unnamed;
  unnamed.SetAdsConnection(&connection);
  unnamed.SetTableName("mcompany.ADT");
  try {
    unnamed.Open();
    FAIL() << "a missing table opened";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), e.ErrorText());
    EXPECT_THAT(e.ErrorText(), HasSubstr("mcompany"));
  }
}

TEST_F(FreeTables, NoFurtherEngineErrorIsRaisedWhileOneIsBeingReported) {
  TAdsTable missing, other;
  missing.SetAdsConnection(&connection);
  missing.SetTableName("NOTHERE");
  other.SetAdsConnection(&connection);
  other.SetTableName("NOTHERE2");
  bool handled = false;
  try {
    missing.Open();
  } catch (const EADSDatabaseError&) {
    EXPECT_TRUE(EADSDatabaseError::InFlight());
    EXPECT_NO_THROW(other.Open());  // fails quietly: the first error is the one reported
    EXPECT_FALSE(other.Active());
    // The component's own refusals still count.
    TAdsTable nameless;
    EXPECT_THROW(nameless.Open(), EADSDatabaseError);
    handled = true;
  }
  EXPECT_TRUE(handled);
  EXPECT_FALSE(EADSDatabaseError::InFlight());
  EXPECT_THROW(other.Open(), EADSDatabaseError);
}

TEST(ErrorText, ColumnErrorsNameTheColumnFromTheText) {
  EXPECT_EQ(ColumnNameFromText("column 'PAY_CODE' is not in table EMPLOYEE"), "PAY_CODE");
  EXPECT_EQ(ColumnNameFromText("ALTER TABLE: column 'A B' exists"), "A B");
  EXPECT_EQ(ColumnNameFromText("table EMPLOYEE is locked"), "");
  const EADSDatabaseError e(ace::code::kColumnExists, "column 'NAME' exists in table T", {});
  EXPECT_EQ(e.ColumnName(), "NAME");
  const EADSDatabaseError other(ace::code::kFieldNotFound, "column 'NAME' is missing", {});
  EXPECT_EQ(other.ColumnName(), "");  // only the column errors 5147 to 5149 name one
}

TEST_F(FreeTables, ColumnErrorOfAStatementNamesTheColumn) {
  MakeTable("EMP", [](TFieldDefs& f) { f.Add("EMP_NO", TFieldType::ftString, 10); });
  TAdsQuery query;
  query.SetAdsConnection(&connection);
  query.SQL().Add("ALTER TABLE EMP DROP COLUMN NOPE");
  try {
    query.ExecSQL();
    FAIL() << "dropped a column that is not there";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(e.ACEErrorCode(), ace::code::kColumnNotFound);
    EXPECT_EQ(e.ColumnName(), "NOPE");
  }
}

TEST_F(FreeTables, RunTimePairIsFreedTableFirstThenConnectionAlsoWhenAnExceptionPasses) {
  MakeTable("CODE", [](TFieldDefs& f) { f.Add("CODE", TFieldType::ftString, 4); });
  std::vector<std::string> trace;
  ace::AdsTraceStart();
  try {
    TOwnedTable owned;
    owned.Connection().SetConnectPath(dir.SuitePath());
    owned.Table().SetTableName("CODE");
    owned.Table().Open();
    EXPECT_EQ(owned.Table().Name(), "");
    throw std::runtime_error("a step failed");
  } catch (const std::runtime_error&) {
  }
  trace = ace::AdsTraceStop();
  const auto names = CallNames(trace);
  const auto close = std::find(names.begin(), names.end(), "AdsCloseTable");
  const auto disconnect = std::find(names.begin(), names.end(), "AdsDisconnect");
  ASSERT_NE(close, names.end());
  ASSERT_NE(disconnect, names.end());
  EXPECT_LT(close, disconnect);
  // Nothing holds the table any more: it opens exclusively.
  TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("CODE");
  t.SetExclusive(true);
  EXPECT_NO_THROW(t.Open());
}

TEST_F(FreeTables, AConnectionFreedFirstLeavesItsTablesWithoutOne) {
  MakeTable("CODE", [](TFieldDefs& f) { f.Add("CODE", TFieldType::ftString, 4); });
  TAdsTable t;
  {
    TAdsConnection shortLived;
    shortLived.SetConnectPath(dir.SuitePath());
    t.SetAdsConnection(&shortLived);
    t.SetTableName("CODE");
    t.Open();
  }
  EXPECT_FALSE(t.Active());
  EXPECT_EQ(t.AdsConnection(), nullptr);
}

TEST(EngineVersion, TextHasTheFixedPrefixAndTwoDigitMinor) {
  EXPECT_EQ(TAdsTable::EngineVersionText(), "6.11 (ACE 10.00)");
}

}  // namespace
}  // namespace kv::engine::testing
