#pragma once
// The common procedure by which a table creator makes one table from its definition, and the two small
// routines every creator shares.

#include <functional>
#include <string>
#include <vector>

#include "catalogue/table_definition.h"
#include "engine/connection.h"
#include "engine/table.h"
#include "platform/ui.h"

namespace kv::catalogue {

// What a creator needs from the layers above it: the person to show failures to and, for CPFNEW, the 2007 CPF
// rate loader that runs once the table has been made in this call (empty: nothing is loaded).
struct CreatorHooks {
  ui::UserInterface& ui;
  std::function<void()> loadCpf2007Rates;
};

// The table password: encrypts the suite's free tables and is the password of "ADSSYS" on dictionaries.
std::string GetTablePassword();

// On a dictionary connection log in as "ADSSYS" with the table password and no prompt; in every case the table
// is used exclusively.
void SetCreatorLogin(engine::TAdsConnection& connection, engine::TAdsTable& table);

// The definition's fields with every numbered run written out, in order, as CreateTable receives them (the size
// kept only for ftString).
std::vector<engine::TFieldDef> ExpandFields(const TableDefinition& definition);

// The option set of an index kind: plain {ixExpression}, unique adds ixUnique, descending ixDescending.
engine::TIndexOptions IndexOptionsOf(IndexKind kind);

// Adds the definition's indexes to the open table, in order.
void AddIndexes(const TableDefinition& definition, engine::TAdsTable& table);

// The files deleted before the table is made: its own deletion set, or base name + ".ADT", ".ADM", ".ADI".
std::vector<std::string> DeletionSet(const TableDefinition& definition);

// Makes the table of the definition in path (a company folder or a dictionary file, with or without a trailing
// backslash) when it is missing, or always when force is set, by the definition's rules. Failures the rules do
// not catch go on to the caller; the creator's own objects are freed whatever happens.
void CreateTableFrom(const TableDefinition& definition, const std::string& path, bool force,
                     const CreatorHooks& hooks);

}  // namespace kv::catalogue
