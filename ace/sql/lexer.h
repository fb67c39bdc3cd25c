#pragma once
// Splits a statement text into tokens. Keywords are not told apart here: a plain word is a Word token and the
// parser decides by its place whether it is a keyword or a name, so that DESC, DATE, TYPE, USER and the like
// serve as column and table names.

#include <string>
#include <string_view>
#include <vector>

#include "ace/sql/ast.h"

namespace ace::sql {

enum class TokenKind {
  Word,        // letters, digits, "_", "#", "$", "@"; starts with a letter or "_"
  QuotedName,  // [name] or "name"; text holds the name without the quote marks ("]]" and """" read as one)
  String,      // 'text'; text holds it without quotes, '' read as '
  Number,      // 12, 0.5, .5; text as written
  Parameter,   // :name; text holds the name without the colon
  Symbol,      // ( ) , . ; * + - / = <> != < <= > >=
  End,         // after the last token
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  std::string_view raw;  // the token's source text, quotes included (empty for End)
  Position pos;
};

// Tokens of text, ending with one End token placed right after the last token. Blanks, line breaks, "--" line
// comments and "/* */" comments separate tokens. Throws AceError(kSqlSyntax) for an unterminated string or
// quoted name, an empty quoted name, a lone ":" and a character that starts no token. The tokens' raw views
// point into text, which must outlive them.
std::vector<Token> Tokenize(std::string_view text);

// "line L, column C", as every message of the SQL layer writes a position.
std::string Where(const Position& pos);

// How a message names a token: "end of statement", a quoted name or string as written, any other token
// in double quotes.
std::string Describe(const Token& token);

}  // namespace ace::sql
