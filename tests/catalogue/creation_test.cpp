// The common creation procedure on small definitions of our own: what each rule does to the files, the tables
// and the messages a person sees.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalogue/creation.h"
#include "catalogue_fixture.h"

namespace kv::catalogue::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using enum TFieldType;

// Odd names go to the engine unchanged; a run gives R1, Q1, R2, Q2.
TableDefinition Fixture(std::string_view name = "T_FIX") {
  return {.name = name,
          .fields = {FieldDef{"CODE", ftString, 8}, FieldRun{1, 2, {{"R", ftCurrency}, {"Q", ftFloat}}},
                     FieldDef{"Field Name", ftString, 4}, FieldDef{"S1_ER%", ftCurrency}, FieldDef{"REST0.5", ftFloat},
                     FieldDef{"NOTE", ftMemo, 1}},
          .indexes = {{"CODE", "CODE", IndexKind::Unique}, {"CODE2", "CODE;R1", IndexKind::Plain},
                      {"NEWEST", "Q1", IndexKind::Descending}},
          .messageName = "T_FIX.adt"};
}

class Creation : public CompanyFolder {
 protected:
  void Create(const TableDefinition& definition, bool force = false, const std::string& path = "") {
    CreateTableFrom(definition, path.empty() ? Folder() : path, force, hooks);
  }
  std::vector<std::string> Messages() const { return ui.Messages(); }

  int cpfLoads = 0;
  CreatorHooks hooks{ui, [this] { ++cpfLoads; }};
};

TEST_F(Creation, MakesAMissingTableWithItsFieldsRunsAndIndexes) {
  const auto trace = Traced([&] { Create(Fixture()); });

  const TableSeen seen = Look(Folder(), "T_FIX");
  EXPECT_THAT(seen.fields, ElementsAre("CODE ftString 8", "R1 ftCurrency", "Q1 ftFloat", "R2 ftCurrency", "Q2 ftFloat",
                                       "Field Name ftString 4", "S1_ER% ftCurrency", "REST0.5 ftFloat", "NOTE ftMemo"));
  EXPECT_THAT(seen.indexes, ElementsAre("CODE CODE unique", "CODE2 CODE;R1", "NEWEST Q1 descending"));
  EXPECT_FALSE(seen.encrypted);
  EXPECT_THAT(Messages(), IsEmpty());
  // ANSI characters (1), rights checked (1); a free folder is connected without a login.
  const auto creates = CallsOf(trace, "AdsCreateTable");
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_THAT(creates[0], HasSubstr(", 3, 1, 1, 1, 0, "));
  EXPECT_THAT(CallsOf(trace, "AdsConnect60")[0], ::testing::Not(HasSubstr("ADSSYS")));
}

TEST_F(Creation, RightsCheckOffReachesTheEngine) {
  TableDefinition definition = Fixture();
  definition.rightsCheck = false;
  const auto trace = Traced([&] { Create(definition); });
  EXPECT_THAT(CallsOf(trace, "AdsCreateTable")[0], HasSubstr(", 3, 1, 1, 2, 0, "));
}

TEST_F(Creation, KeepLeavesAnExistingTableAloneUnlessForced) {
  Create(Fixture());
  AppendRow(Folder(), "T_FIX", {{"CODE", "A1"}});
  const auto before = FolderState(dir.Path());

  const auto trace = Traced([&] { Create(Fixture()); });
  EXPECT_TRUE(CallsOf(trace, "AdsCreateTable").empty());
  EXPECT_TRUE(CallsOf(trace, "AdsOpenTable").empty());
  EXPECT_EQ(FolderState(dir.Path()), before);
  EXPECT_EQ(Look(Folder(), "T_FIX").rows, 1u);

  // Forced, the table is made anew and its rows are gone; with or without the path's backslash.
  for (const std::string& path : {Folder(), FolderWithBackslash()}) {
    AppendRow(Folder(), "T_FIX", {{"CODE", "A2"}});
    Create(Fixture(), true, path);
    const TableSeen seen = Look(Folder(), "T_FIX");
    EXPECT_EQ(seen.rows, 0u) << path;
    EXPECT_EQ(seen.indexes.size(), 3u) << path;
  }
  EXPECT_THAT(Messages(), IsEmpty());
}

TEST_F(Creation, ATableNamedWithItsExtensionIsFoundUnderThatName) {
  TableDefinition definition = Fixture("T_EXT.ADT");
  Create(definition);
  EXPECT_TRUE(FileThere("T_EXT.ADT"));
  AppendRow(Folder(), "T_EXT.ADT", {{"CODE", "A1"}});
  Create(definition);
  EXPECT_EQ(Look(Folder(), "T_EXT.ADT").rows, 1u);
}

TEST_F(Creation, DeletionSetsAreFormedFromThePath) {
  // No table yet, but a file of an earlier one: it goes when the set names it (in any case), from a path with
  // or without its trailing backslash; the standard set names only .ADT, .ADM and .ADI.
  struct Case {
    std::optional<std::vector<std::string_view>> set;
    bool backslash;
    bool leftoverStays;
  };
  using Files = std::vector<std::string_view>;
  const std::vector<Case> cases{
      {std::nullopt, false, true},
      {Files{"T_FIX.ADT", "T_FIX.BAK"}, false, false},
      {Files{"T_FIX.ADT", "T_FIX.BAK"}, true, false},
      {Files{"t_fix.bak"}, true, false},
      {Files{}, false, true},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    kv::testing::TempFolder folder;
    folder.Write("T_FIX.BAK", "an earlier table's copy");
    TableDefinition definition = Fixture();
    definition.deletionSet = cases[i].set;
    CreateTableFrom(definition, cases[i].backslash ? folder.SuitePath() : folder.Path().string(), false, hooks);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "T_FIX.ADT")) << i;
    EXPECT_EQ(std::filesystem::exists(folder.Path() / "T_FIX.BAK"), cases[i].leftoverStays) << i;
  }
}

TEST_F(Creation, StandardDeletionSetIsTheBaseNameWithThreeExtensions) {
  struct Case {
    std::string_view name;
    std::vector<std::string> files;
  };
  for (const Case& c : std::vector<Case>{{"CPFTRX", {"CPFTRX.ADT", "CPFTRX.ADM", "CPFTRX.ADI"}},
                                         {"BONUSTRX.adt", {"BONUSTRX.ADT", "BONUSTRX.ADM", "BONUSTRX.ADI"}},
                                         {"share_temp1.ADT", {"share_temp1.ADT", "share_temp1.ADM", "share_temp1.ADI"}}}) {
    TableDefinition definition{.name = c.name};
    EXPECT_EQ(DeletionSet(definition), c.files) << c.name;
  }
}

TEST_F(Creation, ForceReplacesATableWithoutADeletionSet) {
  TableDefinition definition = Fixture();
  definition.deletionSet = std::vector<std::string_view>{};
  Create(definition);
  AppendRow(Folder(), "T_FIX", {{"CODE", "A1"}});
  Create(definition, true);
  EXPECT_EQ(Look(Folder(), "T_FIX").rows, 0u);
  EXPECT_THAT(Messages(), IsEmpty());
}

TEST_F(Creation, DropWhenForcedSendsTheDropStatement) {
  TableDefinition definition = Fixture("T_DROP");
  definition.existing = ExistingRule::DropWhenForced;
  definition.deletionSet = std::vector<std::string_view>{};
  Create(definition);
  AppendRow(Folder(), "T_DROP", {{"CODE", "A1"}});

  auto trace = Traced([&] { Create(definition); });
  EXPECT_TRUE(CallsOf(trace, "AdsExecuteSQLDirect").empty());
  EXPECT_EQ(Look(Folder(), "T_DROP").rows, 1u);

  trace = Traced([&] { Create(definition, true); });
  const auto statements = CallsOf(trace, "AdsExecuteSQLDirect");
  ASSERT_EQ(statements.size(), 1u);
  EXPECT_THAT(statements[0], HasSubstr("DROP TABLE [T_DROP];"));
  const TableSeen seen = Look(Folder(), "T_DROP");
  EXPECT_EQ(seen.rows, 0u);
  EXPECT_EQ(seen.indexes.size(), 3u);
}

TEST_F(Creation, OpenCheckShowsATableThatCannotBeOpened) {
  TableDefinition definition = Fixture("T_OPEN");
  definition.existing = ExistingRule::OpenCheck;
  Create(definition);
  AppendRow(Folder(), "T_OPEN", {{"CODE", "A1"}});
  Create(definition);
  EXPECT_THAT(Messages(), IsEmpty());
  EXPECT_EQ(Look(Folder(), "T_OPEN").rows, 1u);

  dir.Write("T_OPEN.ADT", "not a table at all");
  EXPECT_NO_THROW(Create(definition));
  EXPECT_THAT(Messages(), ElementsAre("Error opening File : T_OPEN"));
  // Forced, the damaged table is made anew.
  Create(definition, true);
  EXPECT_EQ(Look(Folder(), "T_OPEN").indexes.size(), 3u);
}

TEST_F(Creation, IndexTopUpAddsTheIndexesToAnExistingTableAndSaysNothing) {
  // Existing tables without the index: one whose rows allow it, one with a key twice, where the unique index
  // cannot be made and nobody is told.
  for (const char* name : {"T_TOP", "T_TWICE"}) {
    TableDefinition bare = Fixture(name);
    bare.indexes.clear();
    Create(bare);
    AppendRow(Folder(), name, {{"CODE", "A1"}});
  }
  AppendRow(Folder(), "T_TWICE", {{"CODE", "A1"}});
  for (const char* name : {"T_TOP", "T_TWICE"}) {
    TableDefinition definition = Fixture(name);
    definition.existing = ExistingRule::IndexTopUp;
    definition.indexes = {{"USERID", "CODE", IndexKind::Unique}};
    EXPECT_NO_THROW(Create(definition)) << name;
  }
  EXPECT_THAT(Look(Folder(), "T_TOP").indexes, ElementsAre("USERID CODE unique"));
  const TableSeen twice = Look(Folder(), "T_TWICE");
  EXPECT_THAT(twice.indexes, IsEmpty());
  EXPECT_EQ(twice.rows, 2u);
  EXPECT_THAT(Messages(), IsEmpty());
}

TEST_F(Creation, FailureRulesWhenTheTableCannotBeMade) {
  // A folder where the table's file should go: the engine cannot make it.
  struct Case {
    FailureRule rule;
    bool raises;
    ui::ScriptedUi::Event::Kind kind;
    std::string text, caption;
  };
  const std::vector<Case> cases{
      {FailureRule::ReportAndStop, true, ui::ScriptedUi::Event::Kind::Box, "Table T_FIX.adt Could Not Be Created",
       "Table Creation Failure"},
      {FailureRule::ReportAndGoOn, false, ui::ScriptedUi::Event::Kind::Box, "Table T_FIX.adt Could Not Be Created",
       "Table Creation Failure"},
      {FailureRule::NoteAndSkip, false, ui::ScriptedUi::Event::Kind::Message,
       "Table T_FIX.adt Could Not Be Created Table Creation Failure", ""},
  };
  std::filesystem::create_directories(dir.Path() / "T_FIX.ADT");
  for (const Case& c : cases) {
    ui::ScriptedUi seen;
    TableDefinition definition = Fixture();
    definition.failure = c.rule;
    bool raised = false;
    try {
      CreateTableFrom(definition, Folder(), false, CreatorHooks{seen, {}});
    } catch (const engine::EADSDatabaseError&) {
      raised = true;
    }
    EXPECT_EQ(raised, c.raises) << c.text;
    std::vector<ui::ScriptedUi::Event> shown;
    for (const auto& e : seen.Events())
      if (e.kind == ui::ScriptedUi::Event::Kind::Box || e.kind == ui::ScriptedUi::Event::Kind::Message)
        shown.push_back(e);
    ASSERT_EQ(shown.size(), 1u) << c.text;
    EXPECT_EQ(shown[0].kind, c.kind);
    EXPECT_EQ(shown[0].text, c.text);
    EXPECT_EQ(shown[0].caption, c.caption);
  }
}

TEST_F(Creation, EncryptionOnFreeTablesBeforeOrAfterTheIndexes) {
  for (EncryptionRule rule : {EncryptionRule::FreeTableBeforeIndexes, EncryptionRule::FreeTableAfterIndexes}) {
    kv::testing::TempFolder folder;
    TableDefinition definition = Fixture();
    definition.encryption = rule;
    const auto trace = Traced([&] { CreateTableFrom(definition, folder.Path().string(), false, hooks); });
    const TableSeen seen = Look(folder.Path().string(), "T_FIX");
    EXPECT_TRUE(seen.encrypted);
    EXPECT_EQ(seen.indexes.size(), 3u);
    // Where the encryption stands among the index calls.
    std::size_t encryptAt = 0, firstIndexAt = 0, lastIndexAt = 0;
    for (std::size_t i = 0; i < trace.size(); ++i) {
      if (trace[i].rfind("AdsEncryptTable(", 0) == 0) encryptAt = i;
      if (trace[i].rfind("AdsCreateIndex61(", 0) == 0) {
        if (!firstIndexAt) firstIndexAt = i;
        lastIndexAt = i;
      }
    }
    ASSERT_NE(encryptAt, 0u);
    if (rule == EncryptionRule::FreeTableBeforeIndexes)
      EXPECT_LT(encryptAt, firstIndexAt);
    else
      EXPECT_GT(encryptAt, lastIndexAt);
  }
}

TEST_F(Creation, GuardedEncryptionShowsItsFailureAndStillAddsTheIndexes) {
  // A folder where the engine writes the encrypted memo file's new copy: the encryption cannot finish.
  std::filesystem::create_directories(dir.Path() / "T_FIX.ADM.new");
  TableDefinition definition = Fixture();
  definition.encryption = EncryptionRule::FreeTableBeforeIndexes;
  definition.guardedEncryption = true;
  definition.guardedEncryptionWords = "BONUSTRX.adt ";
  EXPECT_NO_THROW(Create(definition));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_THAT(Messages()[0], ::testing::StartsWith("BONUSTRX.adt "));
  EXPECT_GT(Messages()[0].size(), std::string("BONUSTRX.adt ").size());
  const TableSeen seen = Look(Folder(), "T_FIX");
  EXPECT_FALSE(seen.encrypted);
  EXPECT_EQ(seen.indexes.size(), 3u);

  // Unguarded, the same failure goes on to the caller without a message, and the indexes are not added.
  kv::testing::TempFolder other;
  std::filesystem::create_directories(other.Path() / "T_FIX.ADM.new");
  definition.guardedEncryption = false;
  ui::ScriptedUi quiet;
  EXPECT_THROW(CreateTableFrom(definition, other.Path().string(), false, CreatorHooks{quiet, {}}),
               engine::EADSDatabaseError);
  EXPECT_THAT(quiet.Messages(), IsEmpty());
  EXPECT_THAT(Look(other.Path().string(), "T_FIX").indexes, IsEmpty());
}

TEST_F(Creation, SystemControlRowsThenEncryptionOnAnyConnection) {
  const TableDefinition definition{.name = "SYSCONT.ADT",
                                   .fields = {FieldDef{"LOG", ftString, 8}, FieldDef{"USERID", ftString, 8},
                                              FieldDef{"PASSWORD", ftString, 8}},
                                   .indexes = {{"LOG", "LOG;USERID", IndexKind::Unique}},
                                   .messageName = "SYSCONT.ADT",
                                   .encryption = EncryptionRule::AlwaysAfterRows,
                                   .after = AfterCreation::SystemControlRows};
  kv::testing::TempFolder free;
  const std::string dictionary = Dictionary();
  for (const std::string& path : {free.Path().string(), dictionary}) {
    Create(definition, false, path);
    const TableSeen seen = Look(path, "SYSCONT.ADT");
    EXPECT_TRUE(seen.encrypted) << path;
    EXPECT_EQ(seen.indexes.size(), 1u) << path;
  }
}

TEST_F(Creation, DictionaryPathLogsInDeletesNothingAndEncryptsNothing) {
  const std::string dictionary = Dictionary();
  dir.Write("T_FIX.BAK", "kept");
  TableDefinition definition = Fixture();
  definition.encryption = EncryptionRule::FreeTableBeforeIndexes;
  definition.deletionSet = std::vector<std::string_view>{"T_FIX.BAK"};
  const auto trace = Traced([&] { Create(definition, false, dictionary); });

  EXPECT_THAT(CallsOf(trace, "AdsConnect60")[0], HasSubstr("ADSSYS"));
  EXPECT_TRUE(FileThere("T_FIX.BAK"));
  EXPECT_TRUE(FileThere("T_FIX.ADT"));
  EXPECT_THAT(Registered(dictionary), Contains("T_FIX"));
  const TableSeen seen = Look(dictionary, "T_FIX");
  EXPECT_FALSE(seen.encrypted);
  EXPECT_EQ(seen.indexes.size(), 3u);
}

TEST_F(Creation, ForceOnADictionaryPathReplacesTheRegisteredTable) {
  const std::string dictionary = Dictionary();
  Create(Fixture(), false, dictionary);
  AppendRow(dictionary, "T_FIX", {{"CODE", "A1"}});
  Create(Fixture(), true, dictionary);
  EXPECT_THAT(Messages(), IsEmpty());
  EXPECT_THAT(Registered(dictionary), Contains("T_FIX"));
  EXPECT_EQ(Look(dictionary, "T_FIX").rows, 0u);
}

TEST_F(Creation, TheCreatorsObjectsAreFreedWhateverHappens) {
  // An index on a field the table lacks fails after the table is made; the failure goes on to the caller.
  TableDefinition definition = Fixture();
  definition.indexes.push_back({"BROKEN", "NO_SUCH_FIELD", IndexKind::Plain});
  ace::AdsTraceStart();
  EXPECT_THROW(Create(definition), engine::EADSDatabaseError);
  const auto trace = ace::AdsTraceStop();
  EXPECT_THAT(Messages(), IsEmpty());
  // Table closed first, then the connection let go.
  std::vector<std::string> tail;
  for (const std::string& line : trace) {
    const std::string call = line.substr(0, line.find('('));
    if (call == "AdsCloseTable" || call == "AdsDisconnect") tail.push_back(call);
  }
  ASSERT_GE(tail.size(), 2u);
  EXPECT_EQ(tail[tail.size() - 2], "AdsCloseTable");
  EXPECT_EQ(tail.back(), "AdsDisconnect");
  // Nothing holds the table: another user can open it exclusively. It keeps the indexes made before.
  engine::TAdsConnection other;
  other.SetConnectPath(Folder());
  engine::TAdsTable table;
  table.SetAdsConnection(&other);
  table.SetTableName("T_FIX");
  table.SetExclusive(true);
  EXPECT_NO_THROW(table.Open());
  table.Close();
  EXPECT_EQ(Look(Folder(), "T_FIX").indexes.size(), 3u);
}

TEST_F(Creation, CpfLoaderRunsAfterTheCloseOnlyWhenTheTableIsMade) {
  TableDefinition definition = Fixture("CPFNEW");
  definition.after = AfterCreation::Cpf2007Rates;
  std::size_t indexesWhenLoaded = 0;
  CreatorHooks probe{ui, [&] {
                       ++cpfLoads;
                       // The creator has closed the table: it opens exclusively, with its index in place.
                       engine::TAdsConnection other;
                       other.SetConnectPath(Folder());
                       engine::TAdsTable table;
                       table.SetAdsConnection(&other);
                       table.SetTableName("CPFNEW");
                       table.SetExclusive(true);
                       table.Open();
                       table.UpdateIndexDefs();
                       indexesWhenLoaded = table.IndexDefs.Count();
                       table.Close();
                     }};
  CreateTableFrom(definition, Folder(), false, probe);
  EXPECT_EQ(cpfLoads, 1);
  EXPECT_EQ(indexesWhenLoaded, 3u);
  CreateTableFrom(definition, Folder(), false, probe);
  EXPECT_EQ(cpfLoads, 1);
}

TEST_F(Creation, ConnectFailureGoesOnWithoutAMessage) {
  EXPECT_THROW(Create(Fixture(), false, Folder() + "\\NO_SUCH\\ABC.add"), std::exception);
  EXPECT_THAT(Messages(), IsEmpty());
}

}  // namespace
}  // namespace kv::catalogue::testing
