#pragma once
// The index upgrade near the end of a company's run: existing tables get the indexes later releases of the suite
// expect. An index is made only when none of the table's indexes has exactly its key fields, whatever its name;
// no index in place is ever dropped. In dictionary mode the index files of the two report work tables are built
// anew instead. Every wanted index is one row of a data table (WantedIndexes), read by UpgradeIndexes.

#include <cstdint>
#include <span>
#include <string_view>

#include "engine/connection.h"
#include "engine/query.h"
#include "engine/table.h"
#include "upgrade/window_objects.h"

namespace kv::upgrade {

// What a wanted index needs besides its statement. Flags combine.
enum IndexStepFlag : std::uint32_t {
  kEveryMode = 1u << 0,             // runs on dictionary companies too
  kTablePassword = 1u << 1,         // free tables: opened with the table password, the statement given it too
  kClearPasswords = 1u << 2,        // the statement's table passwords are cleared after the index is made
  kRbtablePasswordFirst = 1u << 3,  // free tables: the statement gets RBTABLE's password before the step
  kCloseCodeFirst = 1u << 4,        // AdsTableCode (and AdsTable1) are closed first, so that CODE can change
  kCloseQueryAfter = 1u << 5,       // AdsQueryIndex is closed again afterwards
  kSameGuardAsPrevious = 1u << 6,   // one guard with the row before: a failure there skips this row
  kUniqueDescending = 1u << 7,      // AddIndex rows: {ixUnique, ixDescending, ixExpression}
};

// One wanted index: the table, the key fields looked for (names joined by ";", as the engine reports them),
// and either the Create Index statement sent as written (index names with leading blanks kept) or, when the
// statement is empty, the name AddIndex gives it.
struct WantedIndex {
  std::string_view table;
  std::string_view fields;
  std::string_view statement;
  std::string_view addIndexName;
  std::uint32_t flags = 0;
};

// The rows in the order they run.
std::span<const WantedIndex> WantedIndexes();
// The key fields the index a row makes has, "A;B" as the engine lists them: the statement's column list, which
// may name more fields than the row looks for (FREEFIELD is looked for by CTLFIELD alone); the row's own fields
// when it adds the index without a statement.
std::string FieldsMadeBy(const WantedIndex& index);

// The dictionary-mode rebuilds: the table and the one index its file gets.
struct RebuiltIndex {
  std::string_view table, name, fields;
};
std::span<const RebuiltIndex> RebuiltIndexes();

// The window's objects the index upgrade uses besides those of WindowObjects.
struct IndexUpgradeObjects {
  const WindowObjects& window;
  engine::TAdsQuery& AdsQueryIndex;  // index statements only, bound to AdsConnection1
  engine::TAdsTable& AdsTableCode;   // holds CODE open during the run
};

// The whole index upgrade of the current company. Every index step ignores its own failure silently; only a
// dictionary rebuild that fails outside its dictionary stage raises.
void UpgradeIndexes(const IndexUpgradeObjects& objects);

// Dictionary mode: the table's registered indexes and its index file are dropped and its one index is built
// again ("RPTRX": PAYCODE, "TEMPPAYGROUP": PAYGROUP). Raises what connecting, opening or AddIndex raises.
void RebuildIndexFile(const WindowObjects& window, std::string_view table);

// The first stage of RebuildIndexFile: on a dictionary connection, every index the dictionary registers under
// the table is deleted (auto-create off meanwhile); a failure there is ignored. Leaves the connection connected
// and the table exclusive, rights unchecked.
void DropDictionaryIndexes(const WindowObjects& window, engine::TAdsConnection& connection, engine::TAdsTable& table,
                           std::string_view name);

}  // namespace kv::upgrade
