#include "ace/sql/parser.h"

#include <array>
#include <charconv>
#include <optional>

#include "ace/core/error.h"
#include "ace/sql/lexer.h"
#include "support/strings.h"

namespace ace::sql {

namespace {

// Words that end a clause or belong to the expression syntax. Only these are kept from serving as a bare column
// name inside an expression or as an alias written without AS; everywhere a name is expected any word is taken
// (ADD COLUMN DESC, UPDATE EMPENT SET CURRENT = 0, DELETE FROM QUERY).
constexpr std::array<std::string_view, 17> kReserved = {
    "SELECT", "FROM", "WHERE", "GROUP", "ORDER", "AS",   "ON",    "SET",     "VALUES",
    "AND",    "OR",   "NOT",   "IS",    "NULL",  "TRUE", "FALSE", "DISTINCT"};

struct FunctionWord {
  std::string_view word;
  Function function;
};
constexpr std::array<FunctionWord, 10> kFunctions = {{
    {"UPPER", Function::Upper},
    {"LOWER", Function::Lower},
    {"TRIM", Function::Trim},
    {"LTRIM", Function::LTrim},
    {"RTRIM", Function::RTrim},
    {"COUNT", Function::Count},
    {"SUM", Function::Sum},
    {"MIN", Function::Min},
    {"MAX", Function::Max},
    {"AVG", Function::Avg},
}};

std::string JoinParts(const std::vector<Name>& parts, std::size_t count) {
  std::string out;
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0) out += '.';
    out += parts[k].text;
  }
  return out;
}

template <typename Node>
ExprPtr MakeExpr(const Position& pos, Node node) {
  auto e = std::make_unique<Expr>();
  e->pos = pos;
  e->node = std::move(node);
  return e;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : tokens_(Tokenize(text)) {
    // Expressions are parsed, evaluated and freed recursively: a bound on the statement's size bounds the depth
    // of all of them, far above the longest statement the suite sends.
    if (tokens_.size() > kMaxTokens)
      Fail(code::kSqlSyntax, "The statement is too long: it holds more than " + std::to_string(kMaxTokens) +
                                 " names, values and signs");
  }
  static constexpr std::size_t kMaxTokens = 5000;
  // Nesting recurses the parser (and every later pass over the tree) once per level, so the levels are bounded
  // well below what a 1 MiB thread stack holds; the deepest statement the suite writes has a handful.
  static constexpr int kMaxNesting = 200;

  Statement StatementText() {
    Statement statement = ParseStatement();
    AcceptSymbol(";");
    if (Cur().kind != TokenKind::End) Error("end of statement");
    return statement;
  }

  ExprPtr ExpressionText() {
    ExprPtr e = ParseExpr();
    if (Cur().kind != TokenKind::End) Error("end of expression");
    return e;
  }

 private:
  // One level of a construct that holds an expression of its own: parentheses, NOT, a sign, a function call.
  class Nest {
   public:
    Nest(Parser& parser, const Position& pos) : parser_(parser) {
      if (++parser_.nesting_ > kMaxNesting)
        Fail(code::kSqlSyntax, "Expressions are nested more than " + std::to_string(kMaxNesting) + " deep at " +
                                   Where(pos));
    }
    ~Nest() { --parser_.nesting_; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

   private:
    Parser& parser_;
  };
  int nesting_ = 0;

  // ---- tokens -------------------------------------------------------------------------------------------

  const Token& Cur() const { return tokens_[index_]; }
  const Token& Ahead(std::size_t n) const {
    const std::size_t at = index_ + n;
    return at < tokens_.size() ? tokens_[at] : tokens_.back();
  }
  void Skip() {
    if (index_ + 1 < tokens_.size()) ++index_;
  }

  static bool IsWord(const Token& t, std::string_view word) {
    return t.kind == TokenKind::Word && kv::SameText(t.text, word);
  }
  static bool IsSymbol(const Token& t, std::string_view symbol) {
    return t.kind == TokenKind::Symbol && t.text == symbol;
  }
  static bool IsReserved(const Token& t) {
    if (t.kind != TokenKind::Word) return false;
    for (std::string_view word : kReserved)
      if (kv::SameText(t.text, word)) return true;
    return false;
  }
  static bool IsName(const Token& t) { return t.kind == TokenKind::Word || t.kind == TokenKind::QuotedName; }

  bool AtWord(std::string_view word) const { return IsWord(Cur(), word); }
  bool AtSymbol(std::string_view symbol) const { return IsSymbol(Cur(), symbol); }
  bool AcceptWord(std::string_view word) {
    if (!AtWord(word)) return false;
    Skip();
    return true;
  }
  bool AcceptSymbol(std::string_view symbol) {
    if (!AtSymbol(symbol)) return false;
    Skip();
    return true;
  }
  void ExpectWord(std::string_view word) {
    if (!AcceptWord(word)) Error(std::string(word));
  }
  void ExpectSymbol(std::string_view symbol) {
    if (!AcceptSymbol(symbol)) Error("\"" + std::string(symbol) + "\"");
  }

  [[noreturn]] void Error(const std::string& expected) const {
    Fail(code::kSqlSyntax, "Expected " + expected + " but found " + Describe(Cur()) + " at " + Where(Cur().pos));
  }

  // ---- names --------------------------------------------------------------------------------------------

  Name ParseName(const std::string& what) {
    if (!IsName(Cur())) Error(what);
    Name name{Cur().text, Cur().pos, Cur().kind == TokenKind::QuotedName};
    Skip();
    return name;
  }

  std::vector<Name> ParseDotted(const std::string& what) {
    std::vector<Name> parts;
    parts.push_back(ParseName(what));
    while (AtSymbol(".") && IsName(Ahead(1))) {
      Skip();
      parts.push_back(ParseName(what));
    }
    return parts;
  }

  // An alias after AS, or a name standing alone where no keyword of the clause is.
  std::string ParseOptionalAlias() {
    if (AcceptWord("AS")) return ParseName("an alias").text;
    if (Cur().kind == TokenKind::QuotedName || (Cur().kind == TokenKind::Word && !IsReserved(Cur())))
      return ParseName("an alias").text;
    return {};
  }

  TableRef ParseTable(bool allowAlias) {
    TableRef table;
    table.pos = Cur().pos;
    const std::vector<Name> parts = ParseDotted("a table name");
    table.name = JoinParts(parts, parts.size());
    if (allowAlias) table.alias = ParseOptionalAlias();
    return table;
  }

  std::vector<TableRef> ParseTableList() {
    std::vector<TableRef> tables;
    do {
      tables.push_back(ParseTable(true));
    } while (AcceptSymbol(","));
    return tables;
  }

  ColumnType ParseType() {
    ColumnType type;
    type.pos = Cur().pos;
    if (Cur().kind != TokenKind::Word) Error("a column type");
    const std::optional<FieldType> field = FieldTypeFromWord(Cur().text);
    if (!field) Error("a column type");
    type.type = *field;
    type.word = Cur().text;
    Skip();
    if (type.type == FieldType::Char || type.type == FieldType::Raw) {
      if (!AtSymbol("(")) Error("\"(\" and the length of " + type.word);
      Skip();
      type.length = ParseLength();
      ExpectSymbol(")");
    }
    return type;
  }

  std::uint16_t ParseLength() {
    unsigned value = 0;
    const Token& t = Cur();
    if (t.kind == TokenKind::Number) {
      const auto [end, ec] = std::from_chars(t.text.data(), t.text.data() + t.text.size(), value);
      if (ec == std::errc() && end == t.text.data() + t.text.size() && value >= 1 && value <= 65535) {
        Skip();
        return static_cast<std::uint16_t>(value);
      }
    }
    Error("a length from 1 to 65535");
  }

  // ---- statements ---------------------------------------------------------------------------------------

  Statement ParseStatement() {
    Statement statement;
    statement.pos = Cur().pos;
    if (AtWord("SELECT")) {
      statement.body = ParseSelect();
    } else if (AtWord("INSERT")) {
      statement.body = ParseInsert();
    } else if (AtWord("UPDATE")) {
      statement.body = ParseUpdate();
    } else if (AtWord("DELETE")) {
      statement.body = ParseDelete();
    } else if (AtWord("ALTER")) {
      statement.body = ParseAlter();
    } else if (AtWord("CREATE")) {
      Skip();
      if (AtWord("PROCEDURE")) {
        statement.body = ParseCreateProcedure();
      } else if (AtWord("UNIQUE") || AtWord("INDEX")) {
        statement.body = ParseCreateIndex();
      } else {
        Error("INDEX, UNIQUE INDEX or PROCEDURE");
      }
    } else if (AtWord("DROP")) {
      Skip();
      if (AtWord("INDEX")) {
        statement.body = ParseDropIndex();
      } else if (AtWord("TABLE")) {
        Skip();
        statement.body = DropTableStatement{ParseTable(false)};
      } else {
        Error("INDEX or TABLE");
      }
    } else {
      Error("a statement (SELECT, INSERT, UPDATE, DELETE, ALTER TABLE, CREATE or DROP)");
    }
    return statement;
  }

  SelectStatement ParseSelect() {
    SelectStatement select;
    Skip();  // SELECT
    select.distinct = AcceptWord("DISTINCT");
    do {
      select.items.push_back(ParseSelectItem());
    } while (AcceptSymbol(","));
    ExpectWord("FROM");
    select.from = ParseTableList();
    if (AcceptWord("WHERE")) select.where = ParseExpr();
    if (AcceptWord("GROUP")) {
      ExpectWord("BY");
      do {
        select.groupBy.push_back(ParseExpr());
      } while (AcceptSymbol(","));
    }
    if (AcceptWord("ORDER")) {
      ExpectWord("BY");
      do {
        OrderItem item;
        item.expr = ParseExpr();
        if (AcceptWord("DESC")) {
          item.descending = true;
        } else {
          AcceptWord("ASC");
        }
        select.orderBy.push_back(std::move(item));
      } while (AcceptSymbol(","));
    }
    return select;
  }

  SelectItem ParseSelectItem() {
    SelectItem item;
    item.pos = Cur().pos;
    if (AcceptSymbol("*")) {
      item.star = true;
      return item;
    }
    // table.* : a dotted name whose last part is "*"
    std::size_t n = 0;
    while (IsName(Ahead(n)) && IsSymbol(Ahead(n + 1), ".")) {
      if (IsSymbol(Ahead(n + 2), "*")) {
        std::vector<Name> parts;
        for (std::size_t k = 0; k <= n; k += 2) parts.push_back(Name{Ahead(k).text, Ahead(k).pos, false});
        item.star = true;
        item.starTable = JoinParts(parts, parts.size());
        for (std::size_t k = 0; k < n + 3; ++k) Skip();
        return item;
      }
      n += 2;
    }
    item.expr = ParseExpr();
    item.alias = ParseOptionalAlias();
    return item;
  }

  InsertStatement ParseInsert() {
    InsertStatement insert;
    Skip();  // INSERT
    ExpectWord("INTO");
    insert.table = ParseTable(false);
    if (AcceptSymbol("(")) {
      do {
        insert.columns.push_back(ParseName("a column name"));
      } while (AcceptSymbol(","));
      ExpectSymbol(")");
    }
    ExpectWord("VALUES");
    ExpectSymbol("(");
    const Position valuesPos = Cur().pos;
    do {
      insert.values.push_back(ParseExpr());
    } while (AcceptSymbol(","));
    if (!insert.columns.empty() && insert.columns.size() != insert.values.size())
      Fail(code::kSqlSyntax, "Expected " + std::to_string(insert.columns.size()) + " values for the " +
                                 std::to_string(insert.columns.size()) + " columns named but found " +
                                 std::to_string(insert.values.size()) + " at " + Where(valuesPos));
    ExpectSymbol(")");
    return insert;
  }

  UpdateStatement ParseUpdate() {
    UpdateStatement update;
    Skip();  // UPDATE
    update.table = ParseTable(true);
    ExpectWord("SET");
    do {
      Assignment assignment;
      assignment.pos = Cur().pos;
      const std::vector<Name> parts = ParseDotted("a column name");
      assignment.target.table = JoinParts(parts, parts.size() - 1);
      assignment.target.column = parts.back().text;
      ExpectSymbol("=");
      assignment.value = ParseExpr();
      update.assignments.push_back(std::move(assignment));
    } while (AcceptSymbol(","));
    if (AcceptWord("FROM")) update.from = ParseTableList();
    if (AcceptWord("WHERE")) update.where = ParseExpr();
    return update;
  }

  DeleteStatement ParseDelete() {
    DeleteStatement del;
    Skip();  // DELETE
    ExpectWord("FROM");
    del.table = ParseTable(true);
    if (AcceptWord("WHERE")) del.where = ParseExpr();
    return del;
  }

  AlterTableStatement ParseAlter() {
    AlterTableStatement alter;
    Skip();  // ALTER
    ExpectWord("TABLE");
    alter.table = ParseTable(false);
    for (;;) {
      AlterAction action;
      action.pos = Cur().pos;
      if (AcceptWord("ADD")) {
        action.kind = AlterAction::Kind::Add;
        AcceptWord("COLUMN");
        action.column = ParseName("a column name");
        action.type = ParseType();
      } else if (AcceptWord("ALTER")) {
        action.kind = AlterAction::Kind::Alter;
        AcceptWord("COLUMN");
        action.column = ParseName("a column name");
        action.newName = ParseName("the new column name");
        action.type = ParseType();
      } else if (AcceptWord("DROP")) {
        action.kind = AlterAction::Kind::Drop;
        AcceptWord("COLUMN");
        action.column = ParseName("a column name");
      } else {
        Error("ADD, ALTER or DROP");
      }
      alter.actions.push_back(std::move(action));
      AcceptSymbol(",");
      if (!AtWord("ADD") && !AtWord("ALTER") && !AtWord("DROP")) {
        if (IsSymbol(tokens_[index_ - 1], ",")) Error("ADD, ALTER or DROP");
        break;
      }
    }
    return alter;
  }

  CreateIndexStatement ParseCreateIndex() {
    CreateIndexStatement create;
    create.unique = AcceptWord("UNIQUE");
    ExpectWord("INDEX");
    create.index = ParseName("an index name");
    ExpectWord("ON");
    create.table = ParseTable(false);
    ExpectSymbol("(");
    do {
      IndexColumn column;
      column.column = ParseName("a column name");
      if (AcceptWord("DESC")) {
        column.descending = true;
      } else {
        AcceptWord("ASC");
      }
      create.columns.push_back(std::move(column));
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return create;
  }

  DropIndexStatement ParseDropIndex() {
    DropIndexStatement drop;
    Skip();  // INDEX
    drop.table.pos = Cur().pos;
    const std::vector<Name> parts = ParseDotted("a table name");
    if (parts.size() < 2) Error("\".\" and the index name after the table name");
    drop.table.name = JoinParts(parts, parts.size() - 1);
    drop.index = parts.back();
    return drop;
  }

  CreateProcedureStatement ParseCreateProcedure() {
    CreateProcedureStatement create;
    Skip();  // PROCEDURE
    create.name = ParseName("a procedure name");
    ExpectSymbol("(");
    if (!AtSymbol(")")) {
      do {
        ProcedureParam param;
        param.name = ParseName("a parameter name");
        param.type = ParseType();
        param.output = AcceptWord("OUTPUT");
        create.params.push_back(std::move(param));
      } while (AcceptSymbol(","));
    }
    ExpectSymbol(")");
    ExpectWord("FUNCTION");
    create.entry = ParseName("a function name");
    ExpectWord("IN");
    ExpectWord("LIBRARY");
    if (Cur().kind != TokenKind::QuotedName && Cur().kind != TokenKind::String) Error("the library name in quotes");
    create.library = Name{Cur().text, Cur().pos, true};
    Skip();
    return create;
  }

  // ---- expressions --------------------------------------------------------------------------------------
  // or := and {OR and}; and := not {AND not}; not := NOT not | predicate;
  // predicate := sum [compare sum | IS [NOT] NULL]; sum := product {(+|-) product};
  // product := unary {(*|/) unary}; unary := (-|+) unary | primary

  ExprPtr ParseExpr() { return ParseOr(); }

  ExprPtr ParseOr() {
    ExprPtr left = ParseAnd();
    while (AtWord("OR")) {
      const Position pos = Cur().pos;
      Skip();
      left = MakeExpr(pos, Binary{BinaryOp::Or, std::move(left), ParseAnd()});
    }
    return left;
  }

  ExprPtr ParseAnd() {
    ExprPtr left = ParseNot();
    while (AtWord("AND")) {
      const Position pos = Cur().pos;
      Skip();
      left = MakeExpr(pos, Binary{BinaryOp::And, std::move(left), ParseNot()});
    }
    return left;
  }

  ExprPtr ParseNot() {
    if (AtWord("NOT")) {
      const Position pos = Cur().pos;
      const Nest level(*this, pos);
      Skip();
      return MakeExpr(pos, Unary{UnaryOp::Not, ParseNot()});
    }
    return ParsePredicate();
  }

  static std::optional<BinaryOp> ComparisonOp(const Token& t) {
    if (t.kind != TokenKind::Symbol) return std::nullopt;
    if (t.text == "=") return BinaryOp::Equal;
    if (t.text == "<>" || t.text == "!=") return BinaryOp::NotEqual;
    if (t.text == "<") return BinaryOp::Less;
    if (t.text == "<=") return BinaryOp::LessEqual;
    if (t.text == ">") return BinaryOp::Greater;
    if (t.text == ">=") return BinaryOp::GreaterEqual;
    return std::nullopt;
  }

  ExprPtr ParsePredicate() {
    ExprPtr left = ParseSum();
    if (const std::optional<BinaryOp> op = ComparisonOp(Cur())) {
      const Position pos = Cur().pos;
      Skip();
      return MakeExpr(pos, Binary{*op, std::move(left), ParseSum()});
    }
    if (AtWord("IS")) {
      const Position pos = Cur().pos;
      Skip();
      const bool negated = AcceptWord("NOT");
      ExpectWord("NULL");
      return MakeExpr(pos, IsNull{std::move(left), negated});
    }
    return left;
  }

  ExprPtr ParseSum() {
    ExprPtr left = ParseProduct();
    while (AtSymbol("+") || AtSymbol("-")) {
      const Position pos = Cur().pos;
      const BinaryOp op = AtSymbol("+") ? BinaryOp::Add : BinaryOp::Subtract;
      Skip();
      left = MakeExpr(pos, Binary{op, std::move(left), ParseProduct()});
    }
    return left;
  }

  ExprPtr ParseProduct() {
    ExprPtr left = ParseUnary();
    while (AtSymbol("*") || AtSymbol("/")) {
      const Position pos = Cur().pos;
      const BinaryOp op = AtSymbol("*") ? BinaryOp::Multiply : BinaryOp::Divide;
      Skip();
      left = MakeExpr(pos, Binary{op, std::move(left), ParseUnary()});
    }
    return left;
  }

  ExprPtr ParseUnary() {
    if (AtSymbol("-") || AtSymbol("+")) {
      const Position pos = Cur().pos;
      const bool negate = AtSymbol("-");
      Skip();
      // A signed number is one literal, so that VALUES (-1) and a key value -0.5 reach the executor as values.
      if (Cur().kind == TokenKind::Number) return NumberLiteral(pos, negate ? "-" + Cur().text : Cur().text);
      const Nest level(*this, pos);
      return MakeExpr(pos, Unary{negate ? UnaryOp::Negate : UnaryOp::Plus, ParseUnary()});
    }
    return ParsePrimary();
  }

  ExprPtr NumberLiteral(const Position& pos, const std::string& text) {
    Skip();
    Literal literal;
    literal.text = text;
    std::int64_t whole = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.find('.') == std::string::npos) {
      const auto [end, ec] = std::from_chars(first, last, whole);
      if (ec == std::errc() && end == last) {
        literal.value = Value::Integer(whole);
        return MakeExpr(pos, std::move(literal));
      }
    }
    double number = 0;
    const auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end != last)
      Fail(code::kSqlSyntax, "Expected a number that fits a double but found \"" + text + "\" at " + Where(pos));
    literal.value = Value::Double(number);
    return MakeExpr(pos, std::move(literal));
  }

  ExprPtr ParsePrimary() {
    const Token& t = Cur();
    const Position pos = t.pos;
    switch (t.kind) {
      case TokenKind::Number:
        return NumberLiteral(pos, t.text);
      case TokenKind::String: {
        Literal literal{Value::String(t.text), t.text};
        Skip();
        return MakeExpr(pos, std::move(literal));
      }
      case TokenKind::Parameter: {
        ParamRef param{t.text};
        Skip();
        return MakeExpr(pos, std::move(param));
      }
      case TokenKind::Symbol:
        if (t.text == "(") {
          const Nest level(*this, pos);
          Skip();
          ExprPtr inner = ParseExpr();
          ExpectSymbol(")");
          return inner;
        }
        break;
      case TokenKind::Word:
        if (IsWord(t, "NULL") || IsWord(t, "TRUE") || IsWord(t, "FALSE")) {
          Literal literal;
          literal.text = t.text;
          if (!IsWord(t, "NULL")) literal.value = Value::Boolean(IsWord(t, "TRUE"));
          Skip();
          return MakeExpr(pos, std::move(literal));
        }
        if (IsSymbol(Ahead(1), "(")) return ParseCall();
        if (IsReserved(t)) break;
        return ParseColumn();
      case TokenKind::QuotedName:
        return ParseColumn();
      case TokenKind::End:
        break;
    }
    Error("an expression");
  }

  ExprPtr ParseColumn() {
    const Position pos = Cur().pos;
    const std::vector<Name> parts = ParseDotted("a column name");
    ColumnRef column{JoinParts(parts, parts.size() - 1), parts.back().text};
    return MakeExpr(pos, std::move(column));
  }

  ExprPtr ParseCall() {
    const Token& t = Cur();
    const Position pos = t.pos;
    const FunctionWord* found = nullptr;
    for (const FunctionWord& f : kFunctions)
      if (kv::SameText(t.text, f.word)) found = &f;
    if (found == nullptr)
      Fail(code::kSqlUnsupported, "Unknown function " + t.text + " at " + Where(pos) +
                                      " (the dialect has UPPER, LOWER, TRIM, LTRIM, RTRIM, COUNT, SUM, MIN, MAX, AVG)");
    const Nest level(*this, pos);
    FunctionCall call;
    call.function = found->function;
    call.name = t.text;
    Skip();
    ExpectSymbol("(");
    if (call.function == Function::Count && AtSymbol("*")) {
      Skip();
      call.star = true;
    } else {
      ExprPtr arg = ParseExpr();
      if (IsAggregate(call.function) && ContainsAggregate(*arg))
        Fail(code::kSqlSyntax, "Expected an expression without an aggregate function inside " + call.name +
                                   " at " + Where(arg->pos));
      call.args.push_back(std::move(arg));
    }
    ExpectSymbol(")");
    return MakeExpr(pos, std::move(call));
  }

  std::vector<Token> tokens_;
  std::size_t index_ = 0;
};

}  // namespace

Statement Parse(std::string_view text) { return Parser(text).StatementText(); }

ExprPtr ParseExpression(std::string_view text) { return Parser(text).ExpressionText(); }

}  // namespace ace::sql
