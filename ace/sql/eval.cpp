#include "ace/sql/eval.h"

#include <cmath>
#include <stdexcept>

#include "ace/core/error.h"
#include "ace/core/number_text.h"
#include "ace/sql/lexer.h"
#include "support/strings.h"

namespace ace::sql {

namespace {

using Kind = Value::Kind;

// The outcome of comparing two non-NULL values. Unequal: the values can be told apart but not ordered (a text
// that is no number against a number).
enum class Order { Less, Equal, Greater, Unequal };

bool IsNumeric(Kind k) { return k == Kind::Integer || k == Kind::Double || k == Kind::Currency; }

double AsNumber(const Value& v) {
  switch (v.GetKind()) {
    case Kind::Integer: return static_cast<double>(v.AsInteger());
    case Kind::Double: return v.AsDouble();
    case Kind::Currency: return v.AsCurrency().ToDouble();
    default: return 0;
  }
}

template <typename T>
Order OrderOf(const T& a, const T& b) {
  if (a < b) return Order::Less;
  if (b < a) return Order::Greater;
  return Order::Equal;
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string_view WithoutBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::optional<int> Digits(std::string_view text) {
  if (text.empty() || text.size() > 4 || !AllDigits(text)) return std::nullopt;
  int n = 0;
  for (char c : text) n = n * 10 + (c - '0');
  return n;
}

// 'YYYY-MM-DD' or 'MM/DD/YYYY' (month and day of one or two digits).
std::optional<kv::Date> TextAsDate(std::string_view text) {
  text = WithoutBlanks(text);
  const auto split = [](std::string_view t, char sep, std::string_view (&parts)[3]) {
    for (int k = 0; k < 2; ++k) {
      const std::size_t at = t.find(sep);
      if (at == std::string_view::npos) return false;
      parts[k] = t.substr(0, at);
      t.remove_prefix(at + 1);
    }
    parts[2] = t;
    return true;
  };
  std::string_view parts[3];
  std::optional<int> year, month, day;
  if (split(text, '-', parts) && parts[0].size() == 4) {
    year = Digits(parts[0]);
    month = parts[1].size() <= 2 ? Digits(parts[1]) : std::nullopt;
    day = parts[2].size() <= 2 ? Digits(parts[2]) : std::nullopt;
  } else if (split(text, '/', parts) && parts[2].size() == 4) {
    month = parts[0].size() <= 2 ? Digits(parts[0]) : std::nullopt;
    day = parts[1].size() <= 2 ? Digits(parts[1]) : std::nullopt;
    year = Digits(parts[2]);
  }
  if (!year || !month || !day || !kv::Date::IsValidYmd(*year, *month, *day)) return std::nullopt;
  return kv::Date::FromYmd(*year, *month, *day);
}

Order Flip(Order o) {
  if (o == Order::Less) return Order::Greater;
  if (o == Order::Greater) return Order::Less;
  return o;
}

// Exact: an integer too large to scale lies beyond every currency value.
Order IntegerVsMoney(std::int64_t whole, kv::Currency money) {
  std::int64_t scaled = 0;
  if (!__builtin_mul_overflow(whole, kv::Currency::kScale, &scaled)) return OrderOf(scaled, money.Scaled());
  return whole < 0 ? Order::Less : Order::Greater;
}

Order NumericOrder(const Value& a, const Value& b) {
  const Kind ka = a.GetKind();
  const Kind kb = b.GetKind();
  if (ka == Kind::Integer && kb == Kind::Integer) return OrderOf(a.AsInteger(), b.AsInteger());
  if (ka == Kind::Currency && kb == Kind::Currency) return OrderOf(a.AsCurrency().Scaled(), b.AsCurrency().Scaled());
  if (ka == Kind::Integer && kb == Kind::Currency) return IntegerVsMoney(a.AsInteger(), b.AsCurrency());
  if (ka == Kind::Currency && kb == Kind::Integer) return Flip(IntegerVsMoney(b.AsInteger(), a.AsCurrency()));
  const double x = AsNumber(a);
  const double y = AsNumber(b);
  if (std::isnan(x) || std::isnan(y)) return Order::Unequal;
  return OrderOf(x, y);
}

kv::DateTime AsDateTime(const Value& v) {
  return v.GetKind() == Kind::Date ? kv::DateTime(v.AsDate()) : v.AsTimeStamp();
}

// Two non-NULL values by the dialect's rules; nullopt when their kinds do not compare.
std::optional<Order> CompareCore(const Value& a, const Value& b) {
  const Kind ka = a.GetKind();
  const Kind kb = b.GetKind();
  if (ka == Kind::String && kb == Kind::String)
    return OrderOf(WithoutTrailingBlanks(a.AsString()), WithoutTrailingBlanks(b.AsString()));
  if (IsNumeric(ka) && IsNumeric(kb)) return NumericOrder(a, b);
  if (ka == Kind::String && IsNumeric(kb)) {
    const std::optional<double> number = NumberFromText(a.AsString());
    if (!number) return Order::Unequal;
    return NumericOrder(Value::Double(*number), b);
  }
  if (IsNumeric(ka) && kb == Kind::String) return Flip(*CompareCore(b, a));
  if (ka == Kind::Boolean && kb == Kind::Boolean) return OrderOf(a.AsBoolean(), b.AsBoolean());
  if (ka == Kind::Date && kb == Kind::Date) return OrderOf(a.AsDate(), b.AsDate());
  if ((ka == Kind::Date || ka == Kind::TimeStamp) && (kb == Kind::Date || kb == Kind::TimeStamp))
    return OrderOf(AsDateTime(a), AsDateTime(b));
  if (ka == Kind::Date && kb == Kind::String) {
    const std::optional<kv::Date> date = TextAsDate(b.AsString());
    if (!date) return Order::Unequal;
    return OrderOf(a.AsDate(), *date);
  }
  if (ka == Kind::String && kb == Kind::Date) return Flip(*CompareCore(b, a));
  if (ka == Kind::Time && kb == Kind::Time) return OrderOf(a.AsTime(), b.AsTime());
  if (ka == Kind::Bytes && kb == Kind::Bytes) return OrderOf(a.AsBytes(), b.AsBytes());
  return std::nullopt;
}

[[noreturn]] void Mismatch(std::string_view op, const Value& a, const Value& b, const Position& pos) {
  Fail(code::kSqlTypeMismatch, "Cannot apply \"" + std::string(op) + "\" to " + std::string(KindName(a.GetKind())) +
                                   " and " + std::string(KindName(b.GetKind())) + " at " + Where(pos));
}

[[noreturn]] void Mismatch(std::string_view op, const Value& a, const Position& pos) {
  Fail(code::kSqlTypeMismatch,
       "Cannot apply \"" + std::string(op) + "\" to " + std::string(KindName(a.GetKind())) + " at " + Where(pos));
}

[[noreturn]] void OutOfRange(std::string_view what, const Position& pos) {
  Fail(code::kValueOutOfRange, std::string(what) + " at " + Where(pos));
}

// result is taken by reference: it is read only after the overflow test beside it in the call has written it.
std::int64_t Checked(bool overflow, const std::int64_t& result, const Position& pos) {
  if (overflow) OutOfRange("The result does not fit a 64-bit integer", pos);
  return result;
}

std::int64_t ScaledOf(const Value& v, const Position& pos) {
  if (v.GetKind() == Kind::Currency) return v.AsCurrency().Scaled();
  std::int64_t out = 0;
  return Checked(__builtin_mul_overflow(v.AsInteger(), kv::Currency::kScale, &out), out, pos);
}

Value MoneyFromDouble(double x, const Position& pos) {
  try {
    return Value::Money(kv::Currency::FromDouble(x));
  } catch (const std::out_of_range&) {
    OutOfRange("The result does not fit a currency value", pos);
  }
}

Value Arithmetic(BinaryOp op, const Value& a, const Value& b, const Position& pos) {
  if (a.IsNull() || b.IsNull()) return Value::Null();
  const Kind ka = a.GetKind();
  const Kind kb = b.GetKind();
  const std::string_view opText = OperatorText(op);
  if (IsNumeric(ka) && IsNumeric(kb)) {
    if (op == BinaryOp::Divide && AsNumber(b) == 0) OutOfRange("Division by zero", pos);
    if (ka == Kind::Integer && kb == Kind::Integer) {
      const std::int64_t x = a.AsInteger();
      const std::int64_t y = b.AsInteger();
      std::int64_t out = 0;
      switch (op) {
        case BinaryOp::Add: return Value::Integer(Checked(__builtin_add_overflow(x, y, &out), out, pos));
        case BinaryOp::Subtract: return Value::Integer(Checked(__builtin_sub_overflow(x, y, &out), out, pos));
        case BinaryOp::Multiply: return Value::Integer(Checked(__builtin_mul_overflow(x, y, &out), out, pos));
        default: return Value::Double(static_cast<double>(x) / static_cast<double>(y));
      }
    }
    if (ka == Kind::Double || kb == Kind::Double) {
      const double x = AsNumber(a);
      const double y = AsNumber(b);
      switch (op) {
        case BinaryOp::Add: return Value::Double(x + y);
        case BinaryOp::Subtract: return Value::Double(x - y);
        case BinaryOp::Multiply: return Value::Double(x * y);
        default: return Value::Double(x / y);
      }
    }
    // Currency with currency or integer: sums and integer multiples stay exact.
    std::int64_t out = 0;
    switch (op) {
      case BinaryOp::Add:
        return Value::Money(kv::Currency::FromScaled(
            Checked(__builtin_add_overflow(ScaledOf(a, pos), ScaledOf(b, pos), &out), out, pos)));
      case BinaryOp::Subtract:
        return Value::Money(kv::Currency::FromScaled(
            Checked(__builtin_sub_overflow(ScaledOf(a, pos), ScaledOf(b, pos), &out), out, pos)));
      case BinaryOp::Multiply:
        if (ka == Kind::Integer || kb == Kind::Integer) {
          const std::int64_t scaled = ka == Kind::Currency ? a.AsCurrency().Scaled() : b.AsCurrency().Scaled();
          const std::int64_t factor = ka == Kind::Integer ? a.AsInteger() : b.AsInteger();
          return Value::Money(
              kv::Currency::FromScaled(Checked(__builtin_mul_overflow(scaled, factor, &out), out, pos)));
        }
        return MoneyFromDouble(AsNumber(a) * AsNumber(b), pos);
      default:
        return MoneyFromDouble(AsNumber(a) / AsNumber(b), pos);
    }
  }
  // Day arithmetic on dates and time stamps.
  if (op == BinaryOp::Add || op == BinaryOp::Subtract) {
    const auto days = [&](const Value& v) {
      const std::int64_t n = v.AsInteger();
      if (n < INT32_MIN / 2 || n > INT32_MAX / 2) OutOfRange("The day count is too large for a date", pos);
      return static_cast<std::int32_t>(op == BinaryOp::Subtract ? -n : n);
    };
    if (ka == Kind::Date && kb == Kind::Integer) return Value::Date(a.AsDate().AddDays(days(b)));
    if (ka == Kind::TimeStamp && kb == Kind::Integer) return Value::TimeStamp(a.AsTimeStamp().AddDays(days(b)));
    if (op == BinaryOp::Add && ka == Kind::Integer && kb == Kind::Date)
      return Value::Date(b.AsDate().AddDays(days(a)));
    if (op == BinaryOp::Subtract && ka == Kind::Date && kb == Kind::Date) return Value::Integer(a.AsDate() - b.AsDate());
  }
  Mismatch(opText, a, b, pos);
}

void CheckLogical(BinaryOp op, const Value& a, const Value& b, const Position& pos) {
  const auto ok = [](const Value& v) { return v.IsNull() || v.GetKind() == Kind::Boolean; };
  if (!ok(a) || !ok(b)) Mismatch(OperatorText(op), a, b, pos);
}

Value Logic(BinaryOp op, const Value& a, const Value& b, const Position& pos) {
  CheckLogical(op, a, b, pos);
  const bool decisive = op == BinaryOp::Or;  // TRUE decides OR, FALSE decides AND
  if ((!a.IsNull() && a.AsBoolean() == decisive) || (!b.IsNull() && b.AsBoolean() == decisive))
    return Value::Boolean(decisive);
  if (a.IsNull() || b.IsNull()) return Value::Null();
  return Value::Boolean(!decisive);
}

std::string_view TrimFront(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  return t;
}

Value Scalar(const FunctionCall& call, const Value& arg, const Position& pos) {
  if (arg.IsNull()) return Value::Null();
  if (arg.GetKind() != Kind::String) Mismatch(FunctionName(call.function), arg, pos);
  const std::string& s = arg.AsString();
  switch (call.function) {
    case Function::Upper: return Value::String(kv::UpperCase(s));
    case Function::Lower: return Value::String(kv::LowerCase(s));
    case Function::Trim: return Value::String(std::string(TrimFront(WithoutTrailingBlanks(s))));
    case Function::LTrim: return Value::String(std::string(TrimFront(s)));
    case Function::RTrim: return Value::String(std::string(WithoutTrailingBlanks(s)));
    default: break;
  }
  Fail(code::kInternal, "Not a scalar function: " + call.name);
}

int KindRank(Kind k) {
  switch (k) {
    case Kind::Null: return 0;
    case Kind::Boolean: return 1;
    case Kind::Integer:
    case Kind::Double:
    case Kind::Currency: return 2;
    case Kind::Date:
    case Kind::TimeStamp: return 3;
    case Kind::Time: return 4;
    case Kind::String: return 5;
    case Kind::Bytes: return 6;
  }
  return 7;
}

}  // namespace

// ---- parameters -------------------------------------------------------------------------------------------

void ParameterValues::Set(std::string_view name, Value value) {
  for (auto& [known, v] : values_) {
    if (kv::SameText(known, name)) {
      v = std::move(value);
      return;
    }
  }
  values_.emplace_back(std::string(name), std::move(value));
}

const Value* ParameterValues::Find(std::string_view name) const {
  for (const auto& [known, v] : values_)
    if (kv::SameText(known, name)) return &v;
  return nullptr;
}

Value ParameterValues::Get(const ParamRef& param, const Position& pos) const {
  if (const Value* v = Find(param.name)) return *v;
  Fail(code::kSqlParameterMissing, "Parameter :" + param.name + " has no value (used at " + Where(pos) + ")");
}

Resolver WithParameters(const ParameterValues& values) {
  Resolver resolver;
  resolver.parameter = [&values](const ParamRef& p, const Position& pos) { return values.Get(p, pos); };
  return resolver;
}

// ---- evaluation -------------------------------------------------------------------------------------------

Value CompareWith(BinaryOp op, const Value& left, const Value& right, const Position& pos) {
  if (left.IsNull() || right.IsNull()) return Value::Null();
  const std::optional<Order> order = CompareCore(left, right);
  if (!order) Mismatch(OperatorText(op), left, right, pos);
  const Order o = *order;
  switch (op) {
    case BinaryOp::Equal: return Value::Boolean(o == Order::Equal);
    case BinaryOp::NotEqual: return Value::Boolean(o != Order::Equal);
    case BinaryOp::Less: return Value::Boolean(o == Order::Less);
    case BinaryOp::LessEqual: return Value::Boolean(o == Order::Less || o == Order::Equal);
    case BinaryOp::Greater: return Value::Boolean(o == Order::Greater);
    case BinaryOp::GreaterEqual: return Value::Boolean(o == Order::Greater || o == Order::Equal);
    default: break;
  }
  Fail(code::kInternal, "Not a comparison operator: " + std::string(OperatorText(op)));
}

Value Evaluate(const Expr& expr, const Resolver& resolver) {
  const Position& pos = expr.pos;
  return std::visit(
      Overloaded{
          [](const Literal& l) { return l.value; },
          [&](const ParamRef& p) {
            if (!resolver.parameter)
              Fail(code::kSqlParameterMissing, "Parameter :" + p.name + " has no value (used at " + Where(pos) + ")");
            return resolver.parameter(p, pos);
          },
          [&](const ColumnRef& c) {
            if (!resolver.column)
              Fail(code::kSqlUnknownColumn, "Column " + (c.table.empty() ? c.column : c.table + "." + c.column) +
                                                " cannot be used here (" + Where(pos) + ")");
            return resolver.column(c, pos);
          },
          [&](const Unary& u) {
            const Value v = Evaluate(*u.operand, resolver);
            if (v.IsNull()) return v;
            const Kind k = v.GetKind();
            switch (u.op) {
              case UnaryOp::Not:
                if (k != Kind::Boolean) Mismatch("NOT", v, pos);
                return Value::Boolean(!v.AsBoolean());
              case UnaryOp::Plus:
                if (!IsNumeric(k)) Mismatch("+", v, pos);
                return v;
              case UnaryOp::Negate:
                if (k == Kind::Integer) {
                  std::int64_t out = 0;
                  return Value::Integer(Checked(__builtin_sub_overflow(std::int64_t{0}, v.AsInteger(), &out), out, pos));
                }
                if (k == Kind::Double) return Value::Double(-v.AsDouble());
                if (k == Kind::Currency) return Value::Money(-v.AsCurrency());
                Mismatch("-", v, pos);
            }
            return v;
          },
          [&](const Binary& b) {
            const Value left = Evaluate(*b.left, resolver);
            const Value right = Evaluate(*b.right, resolver);
            switch (b.op) {
              case BinaryOp::And:
              case BinaryOp::Or: return Logic(b.op, left, right, pos);
              case BinaryOp::Add:
              case BinaryOp::Subtract:
              case BinaryOp::Multiply:
              case BinaryOp::Divide: return Arithmetic(b.op, left, right, pos);
              default: return CompareWith(b.op, left, right, pos);
            }
          },
          [&](const IsNull& n) {
            const bool isNull = Evaluate(*n.operand, resolver).IsNull();
            return Value::Boolean(n.negated ? !isNull : isNull);
          },
          [&](const FunctionCall& f) {
            if (IsAggregate(f.function)) {
              if (!resolver.aggregate)
                Fail(code::kSqlUnsupported,
                     "The aggregate function " + f.name + " cannot be used here (" + Where(pos) + ")");
              return resolver.aggregate(f, pos);
            }
            return Scalar(f, Evaluate(*f.args.front(), resolver), pos);
          },
      },
      expr.node);
}

bool Holds(const Expr& condition, const Resolver& resolver) {
  const Value v = Evaluate(condition, resolver);
  if (v.IsNull()) return false;
  if (v.GetKind() != Kind::Boolean)
    Fail(code::kSqlTypeMismatch, "Expected a condition (TRUE, FALSE or NULL) but found a value of kind " +
                                     std::string(KindName(v.GetKind())) + " at " + Where(condition.pos));
  return v.AsBoolean();
}

int OrderCompare(const Value& a, const Value& b) {
  if (a.IsNull() || b.IsNull()) return static_cast<int>(!a.IsNull()) - static_cast<int>(!b.IsNull());
  const std::optional<Order> order = CompareCore(a, b);
  if (order && *order != Order::Unequal) return *order == Order::Less ? -1 : *order == Order::Greater ? 1 : 0;
  return KindRank(a.GetKind()) - KindRank(b.GetKind());
}

bool SameGroup(const Value& a, const Value& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  const std::optional<Order> order = CompareCore(a, b);
  return order && *order == Order::Equal;
}

std::string_view KindName(Value::Kind kind) {
  switch (kind) {
    case Kind::Null: return "Null";
    case Kind::Boolean: return "Boolean";
    case Kind::Integer: return "Integer";
    case Kind::Double: return "Double";
    case Kind::Currency: return "Currency";
    case Kind::Date: return "Date";
    case Kind::Time: return "Time";
    case Kind::TimeStamp: return "TimeStamp";
    case Kind::String: return "String";
    case Kind::Bytes: return "Bytes";
  }
  return "?";
}

// ---- aggregates -------------------------------------------------------------------------------------------

Aggregator::Aggregator(const FunctionCall& call, Position pos)
    : function_(call.function), star_(call.star), name_(call.name), pos_(pos) {
  if (!IsAggregate(function_)) Fail(code::kInternal, "Not an aggregate function: " + call.name);
}

void Aggregator::Add(const Value& value) {
  if (function_ == Function::Count) {
    if (star_ || !value.IsNull()) ++count_;
    return;
  }
  if (value.IsNull()) return;
  switch (function_) {
    case Function::Sum:
    case Function::Avg:
      if (!IsNumeric(value.GetKind())) Mismatch(name_, value, pos_);
      acc_ = acc_.IsNull() ? value : Arithmetic(BinaryOp::Add, acc_, value, pos_);
      ++count_;
      return;
    case Function::Min:
      if (acc_.IsNull() || OrderCompare(value, acc_) < 0) acc_ = value;
      return;
    case Function::Max:
      if (acc_.IsNull() || OrderCompare(value, acc_) > 0) acc_ = value;
      return;
    default: return;
  }
}

Value Aggregator::Result() const {
  switch (function_) {
    case Function::Count: return Value::Integer(count_);
    case Function::Avg:
      if (acc_.IsNull()) return acc_;
      return Value::Double(AsNumber(acc_) / static_cast<double>(count_));
    default: return acc_;
  }
}

}  // namespace ace::sql
