#pragma once
// The shape of one catalogue table: what the common creation procedure needs to make it, written as data. Only
// the rules in which a table departs from the standard are set in its definition; everything else keeps the
// defaults below (keep an existing table, report and stop on failure, never encrypted, the standard deletion set,
// nothing after creation, rights checked).

#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/types.h"

namespace kv::catalogue {

using engine::TFieldType;

// One field: its exact name (blanks, "%" and "." kept) and logical type; size counts only for ftString.
struct FieldDef {
  std::string_view name{};
  TFieldType type = TFieldType::ftUnknown;
  int size = 0;
};

// A numbered run: for n = first to last in turn, each pattern field with n written after its name.
// {1, 5, {{"SALARY_FROM", ftCurrency}, {"SALARY_TO", ftCurrency}}} gives SALARY_FROM1, SALARY_TO1, ... SALARY_TO5.
struct FieldRun {
  int first = 1;
  int last = 1;
  std::vector<FieldDef> pattern{};
};

using FieldItem = std::variant<FieldDef, FieldRun>;

// The three option sets the catalogue uses: plain {ixExpression}, unique {ixUnique, ixExpression},
// descending {ixDescending, ixExpression}.
enum class IndexKind { Plain, Unique, Descending };

struct IndexDef {
  std::string_view name{};
  std::string_view key{};  // passed to AddIndex unchanged
  IndexKind kind = IndexKind::Plain;
};

// What happens when the table already exists.
enum class ExistingRule { Keep, DropWhenForced, OpenCheck, IndexTopUp };
// What happens when CreateTable raises.
enum class FailureRule { ReportAndStop, ReportAndGoOn, NoteAndSkip };
// Whether, and when, the table is encrypted: on a free-table connection before or after its indexes, or on any
// connection after its rows.
enum class EncryptionRule { Never, FreeTableBeforeIndexes, FreeTableAfterIndexes, AlwaysAfterRows };
// The work done once the table has been made in this call.
enum class AfterCreation { None, SystemControlRows, Cpf2007Rates };

struct TableDefinition {
  int number = 0;                 // place in the company creation order, 1 to 130; 0 for tables made elsewhere
  std::string_view name{};        // exactly as the engine receives it ("CPFTRX", "SYSCONT.ADT", "BONUSTRX.adt")
  std::vector<FieldItem> fields{};  // in order
  std::vector<IndexDef> indexes{};  // in the order they are added
  std::string_view messageName{};   // "Table " + messageName + " Could Not Be Created"
  ExistingRule existing = ExistingRule::Keep;
  FailureRule failure = FailureRule::ReportAndStop;
  EncryptionRule encryption = EncryptionRule::Never;
  bool guardedEncryption = false;  // a failing encryption is shown and the creator goes on
  std::string_view guardedEncryptionWords{};  // shown before the failure's text ("BONUSTRX.adt ")
  // Files deleted before the table is made; unset means base name + ".ADT", ".ADM", ".ADI".
  std::optional<std::vector<std::string_view>> deletionSet{};
  AfterCreation after = AfterCreation::None;
  bool rightsCheck = true;
};

}  // namespace kv::catalogue
