// The field a result column gets from its expression: a column keeps its field (an AutoInc one becomes a plain
// Integer, a result is not numbered anew), arithmetic widens as the values do, comparisons and logic are Logical.
#include "ace/sql/binding.h"
#include "ace/sql/field_values.h"

namespace ace::sql::exec {

namespace {

bool Arithmetic(BinaryOp op) {
  return op == BinaryOp::Add || op == BinaryOp::Subtract || op == BinaryOp::Multiply || op == BinaryOp::Divide;
}

FieldSpec OfArithmetic(BinaryOp op, const FieldSpec& l, const FieldSpec& r) {
  const bool dated = l.type == FieldType::Date || l.type == FieldType::TimeStamp;
  if (dated && (op == BinaryOp::Add || op == BinaryOp::Subtract))
    return r.type == l.type && op == BinaryOp::Subtract ? TypedField(FieldType::Integer) : TypedField(l.type);
  if (r.type == FieldType::Date && op == BinaryOp::Add) return TypedField(FieldType::Date);
  if (l.type == FieldType::Double || r.type == FieldType::Double) return TypedField(FieldType::Double);
  if (l.type == FieldType::CurDouble || r.type == FieldType::CurDouble) return TypedField(FieldType::CurDouble);
  if (IsWhole(l.type) && IsWhole(r.type))
    return op == BinaryOp::Divide ? TypedField(FieldType::Double) : TypedField(FieldType::Integer);
  return TypedField(FieldType::Double);
}

FieldSpec OfCall(Function function, FieldSpec argument) {
  switch (function) {
    case Function::Count: return TypedField(FieldType::Integer);
    case Function::Avg: return TypedField(FieldType::Double);
    case Function::Sum:
      if (IsWhole(argument.type)) return TypedField(FieldType::Integer);
      if (argument.type == FieldType::CurDouble) return argument;
      return TypedField(FieldType::Double);
    default: argument.name.clear(); return argument;
  }
}

}  // namespace

FieldSpec Rows::Infer(const Expr& e) const {
  return std::visit(
      Overloaded{
          [&](const Literal& l) { return l.value.IsNull() ? CharSpec(1) : SpecOfValue(l.value); },
          [&](const ParamRef& p) {
            const Value* v = params_.Find(p.name);
            return v ? SpecOfValue(*v) : CharSpec(1);
          },
          [&](const ColumnRef& c) {
            const Slot s = slots_.at(&c);
            FieldSpec f = tables[s.table].fields[s.field];
            if (f.type == FieldType::AutoInc) f.type = FieldType::Integer;
            return f;
          },
          [&](const Unary& u) { return u.op == UnaryOp::Not ? TypedField(FieldType::Logical) : Infer(*u.operand); },
          [&](const Binary& b) {
            if (!Arithmetic(b.op)) return TypedField(FieldType::Logical);
            return OfArithmetic(b.op, Infer(*b.left), Infer(*b.right));
          },
          [&](const IsNull&) { return TypedField(FieldType::Logical); },
          [&](const FunctionCall& c) {
            // COUNT and AVG never look at their argument's field: COUNT(*) has none.
            if (c.function == Function::Count || c.function == Function::Avg) return OfCall(c.function, {});
            return OfCall(c.function, Infer(*c.args.at(0)));
          },
      },
      e.node);
}

}  // namespace ace::sql::exec
