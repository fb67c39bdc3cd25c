#pragma once
// The parser of the engine's SQL dialect (docs/sql-dialect.md gives the grammar).

#include <string_view>

#include "ace/sql/ast.h"

namespace ace::sql {

// One statement, optionally followed by ";"; blanks, line breaks and comments may stand anywhere between tokens
// and after the end. A text holds exactly one statement. Throws AceError(kSqlSyntax) with what was expected,
// what was found and the line and column, e.g. `Expected FROM but found "WHERE" at line 1, column 8`;
// AceError(kSqlUnsupported) for a call of a function the dialect does not have.
Statement Parse(std::string_view text);

// One expression alone (a record filter such as "database1='ALLW'", or a key expression), same rules.
ExprPtr ParseExpression(std::string_view text);

}  // namespace ace::sql
