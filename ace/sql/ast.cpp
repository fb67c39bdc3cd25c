#include "ace/sql/ast.h"

#include "support/strings.h"

namespace ace::sql {

namespace {

bool PlainWord(std::string_view text) {
  if (text.empty()) return false;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (!(letter || (k > 0 && (digit || c == '#' || c == '$' || c == '@')))) return false;
  }
  return true;
}

std::string NameText(std::string_view text) {
  if (PlainWord(text)) return std::string(text);
  return "[" + std::string(text) + "]";
}

// A dotted table name is shown as one bracketed name when it is not a plain word: [EMP_PROS.ADT].
std::string TableText(const TableRef& table) {
  std::string out = NameText(table.name);
  if (!table.alias.empty()) out += " " + NameText(table.alias);
  return out;
}

std::string StringText(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string TypeText(const ColumnType& type) {
  std::string out(FieldTypeWord(type.type));
  if (type.type == FieldType::Char || type.type == FieldType::Raw) out += "(" + std::to_string(type.length) + ")";
  return out;
}

template <typename T, typename F>
std::string JoinList(const std::vector<T>& items, F&& each) {
  std::string out;
  for (const T& item : items) {
    if (!out.empty()) out += ", ";
    out += each(item);
  }
  return out;
}

void VisitExpr(const Expr& expr, const auto& visit) {
  visit(expr);
  std::visit(Overloaded{
                 [&](const Unary& u) { VisitExpr(*u.operand, visit); },
                 [&](const Binary& b) {
                   VisitExpr(*b.left, visit);
                   VisitExpr(*b.right, visit);
                 },
                 [&](const IsNull& n) { VisitExpr(*n.operand, visit); },
                 [&](const FunctionCall& f) {
                   for (const ExprPtr& arg : f.args) VisitExpr(*arg, visit);
                 },
                 [](const auto&) {},
             },
             expr.node);
}

// Every expression of a statement, in the order written.
void VisitStatement(const Statement& statement, const auto& visit) {
  const auto each = [&](const ExprPtr& e) {
    if (e) VisitExpr(*e, visit);
  };
  std::visit(Overloaded{
                 [&](const SelectStatement& s) {
                   for (const SelectItem& item : s.items) each(item.expr);
                   each(s.where);
                   for (const ExprPtr& g : s.groupBy) each(g);
                   for (const OrderItem& o : s.orderBy) each(o.expr);
                 },
                 [&](const InsertStatement& s) {
                   for (const ExprPtr& v : s.values) each(v);
                 },
                 [&](const UpdateStatement& s) {
                   for (const Assignment& a : s.assignments) each(a.value);
                   each(s.where);
                 },
                 [&](const DeleteStatement& s) { each(s.where); },
                 [](const auto&) {},
             },
             statement.body);
}

}  // namespace

std::string_view OperatorText(BinaryOp op) {
  switch (op) {
    case BinaryOp::Add: return "+";
    case BinaryOp::Subtract: return "-";
    case BinaryOp::Multiply: return "*";
    case BinaryOp::Divide: return "/";
    case BinaryOp::Equal: return "=";
    case BinaryOp::NotEqual: return "<>";
    case BinaryOp::Less: return "<";
    case BinaryOp::LessEqual: return "<=";
    case BinaryOp::Greater: return ">";
    case BinaryOp::GreaterEqual: return ">=";
    case BinaryOp::And: return "AND";
    case BinaryOp::Or: return "OR";
  }
  return "?";
}

std::string_view StatementKindName(StatementKind kind) {
  switch (kind) {
    case StatementKind::Select: return "SELECT";
    case StatementKind::Insert: return "INSERT";
    case StatementKind::Update: return "UPDATE";
    case StatementKind::Delete: return "DELETE";
    case StatementKind::AlterTable: return "ALTER TABLE";
    case StatementKind::CreateIndex: return "CREATE INDEX";
    case StatementKind::DropIndex: return "DROP INDEX";
    case StatementKind::DropTable: return "DROP TABLE";
    case StatementKind::CreateProcedure: return "CREATE PROCEDURE";
  }
  return "?";
}

std::string_view FunctionName(Function function) {
  switch (function) {
    case Function::Upper: return "UPPER";
    case Function::Lower: return "LOWER";
    case Function::Trim: return "TRIM";
    case Function::LTrim: return "LTRIM";
    case Function::RTrim: return "RTRIM";
    case Function::Count: return "COUNT";
    case Function::Sum: return "SUM";
    case Function::Min: return "MIN";
    case Function::Max: return "MAX";
    case Function::Avg: return "AVG";
  }
  return "?";
}

bool IsAggregate(Function function) {
  return function == Function::Count || function == Function::Sum || function == Function::Min ||
         function == Function::Max || function == Function::Avg;
}

bool ContainsAggregate(const Expr& expr) {
  bool found = false;
  VisitExpr(expr, [&](const Expr& e) {
    if (const auto* call = std::get_if<FunctionCall>(&e.node); call && IsAggregate(call->function)) found = true;
  });
  return found;
}

std::vector<std::string> ParameterNames(const Statement& statement) {
  std::vector<std::string> names;
  VisitStatement(statement, [&](const Expr& e) {
    const auto* param = std::get_if<ParamRef>(&e.node);
    if (param == nullptr) return;
    for (const std::string& known : names)
      if (kv::SameText(known, param->name)) return;
    names.push_back(param->name);
  });
  return names;
}

std::string Dump(const Expr& expr) {
  return std::visit(
      Overloaded{
          [](const Literal& l) -> std::string {
            if (l.value.IsNull()) return "NULL";
            if (l.value.GetKind() == Value::Kind::String) return StringText(l.value.AsString());
            if (l.value.GetKind() == Value::Kind::Boolean) return l.value.AsBoolean() ? "TRUE" : "FALSE";
            return l.text;
          },
          [](const ParamRef& p) -> std::string { return ":" + p.name; },
          [](const ColumnRef& c) -> std::string {
            return c.table.empty() ? NameText(c.column) : NameText(c.table) + "." + NameText(c.column);
          },
          [](const Unary& u) -> std::string {
            const char* op = u.op == UnaryOp::Not ? "not" : u.op == UnaryOp::Negate ? "neg" : "plus";
            return std::string("(") + op + " " + Dump(*u.operand) + ")";
          },
          [](const Binary& b) -> std::string {
            return "(" + kv::LowerCase(OperatorText(b.op)) + " " + Dump(*b.left) + " " + Dump(*b.right) + ")";
          },
          [](const IsNull& n) -> std::string {
            return std::string(n.negated ? "(is-not-null " : "(is-null ") + Dump(*n.operand) + ")";
          },
          [](const FunctionCall& f) -> std::string {
            std::string out(FunctionName(f.function));
            if (f.star) return out + "(*)";
            return out + "(" + JoinList(f.args, [](const ExprPtr& a) { return Dump(*a); }) + ")";
          },
      },
      expr.node);
}

std::string Dump(const Statement& statement) {
  const auto where = [](const ExprPtr& e) { return e ? " where " + Dump(*e) : std::string(); };
  const auto tables = [](const std::vector<TableRef>& list) { return JoinList(list, TableText); };
  return std::visit(
      Overloaded{
          [&](const SelectStatement& s) {
            std::string out = s.distinct ? "select distinct " : "select ";
            out += JoinList(s.items, [](const SelectItem& item) {
              if (item.star) return item.starTable.empty() ? std::string("*") : NameText(item.starTable) + ".*";
              return Dump(*item.expr) + (item.alias.empty() ? "" : " as " + NameText(item.alias));
            });
            out += " from " + tables(s.from) + where(s.where);
            if (!s.groupBy.empty())
              out += " group by " + JoinList(s.groupBy, [](const ExprPtr& g) { return Dump(*g); });
            if (!s.orderBy.empty())
              out += " order by " + JoinList(s.orderBy, [](const OrderItem& o) {
                       return Dump(*o.expr) + (o.descending ? " desc" : "");
                     });
            return out;
          },
          [&](const InsertStatement& s) {
            std::string out = "insert into " + TableText(s.table);
            if (!s.columns.empty())
              out += " (" + JoinList(s.columns, [](const Name& n) { return NameText(n.text); }) + ")";
            return out + " values (" + JoinList(s.values, [](const ExprPtr& v) { return Dump(*v); }) + ")";
          },
          [&](const UpdateStatement& s) {
            std::string out = "update " + TableText(s.table) + " set ";
            out += JoinList(s.assignments, [](const Assignment& a) {
              const std::string target =
                  a.target.table.empty() ? NameText(a.target.column)
                                         : NameText(a.target.table) + "." + NameText(a.target.column);
              return target + " = " + Dump(*a.value);
            });
            if (!s.from.empty()) out += " from " + tables(s.from);
            return out + where(s.where);
          },
          [&](const DeleteStatement& s) { return "delete from " + TableText(s.table) + where(s.where); },
          [&](const AlterTableStatement& s) {
            std::string out = "alter table " + TableText(s.table) + " ";
            std::string actions;
            for (const AlterAction& a : s.actions) {
              if (!actions.empty()) actions += "; ";
              switch (a.kind) {
                case AlterAction::Kind::Add:
                  actions += "add " + NameText(a.column.text) + " " + TypeText(a.type);
                  break;
                case AlterAction::Kind::Alter:
                  actions += "alter " + NameText(a.column.text) + " " + NameText(a.newName.text) + " " +
                             TypeText(a.type);
                  break;
                case AlterAction::Kind::Drop:
                  actions += "drop " + NameText(a.column.text);
                  break;
              }
            }
            return out + actions;
          },
          [&](const CreateIndexStatement& s) {
            return std::string(s.unique ? "create unique index " : "create index ") + NameText(s.index.text) +
                   " on " + TableText(s.table) + " (" + JoinList(s.columns, [](const IndexColumn& c) {
                     return NameText(c.column.text) + (c.descending ? " desc" : "");
                   }) +
                   ")";
          },
          [&](const DropIndexStatement& s) {
            return "drop index " + TableText(s.table) + "." + NameText(s.index.text);
          },
          [&](const DropTableStatement& s) { return "drop table " + TableText(s.table); },
          [&](const CreateProcedureStatement& s) {
            return "create procedure " + NameText(s.name.text) + " (" +
                   JoinList(s.params, [](const ProcedureParam& p) {
                     return NameText(p.name.text) + " " + TypeText(p.type) + (p.output ? " output" : "");
                   }) +
                   ") function " + NameText(s.entry.text) + " in library " + StringText(s.library.text);
          },
      },
      statement.body);
}

}  // namespace ace::sql
