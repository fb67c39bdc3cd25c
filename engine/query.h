#pragma once
// TAdsQuery: one SQL statement on a connection. ExecSQL runs it and closes whatever cursor it made; Open runs a
// SELECT and keeps its result, which then reads like a table (order by IndexFieldNames over the result's
// tags, FindKey, ranges, and editing through to the table when RequestLive). The statement handle is made when
// first needed and kept until CloseStatement, which the tool calls after every execution.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dataset.h"

namespace kv::engine {

// The lines of a statement; its text is every line followed by a line break.
class TStringList {
 public:
  void Clear() { lines_.clear(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  std::size_t Count() const { return lines_.size(); }
  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  std::string Text() const;
  void SetText(std::string_view text);  // split at line breaks

 private:
  std::vector<std::string> lines_;
};

// A parameter of the statement (":sYEAR" is the parameter "sYEAR").
class TParam {
 public:
  explicit TParam(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }
  const ace::Value& Value() const { return value_; }
  bool Bound() const { return bound_; }
  void SetValue(ace::Value value) {
    value_ = std::move(value);
    bound_ = true;
  }
  void SetAsString(const std::string& v) { SetValue(ace::Value::String(v)); }
  void SetAsInteger(std::int64_t v) { SetValue(ace::Value::Integer(v)); }
  void SetAsFloat(double v) { SetValue(ace::Value::Double(v)); }
  void SetAsCurrency(kv::Currency v) { SetValue(ace::Value::Money(v)); }
  void SetAsDate(kv::Date v) { SetValue(ace::Value::Date(v)); }
  void SetAsDateTime(kv::DateTime v) { SetValue(ace::Value::TimeStamp(v)); }
  void SetAsBoolean(bool v) { SetValue(ace::Value::Boolean(v)); }
  void Clear() { SetValue(ace::Value::Null()); }

 private:
  std::string name_;
  ace::Value value_;
  bool bound_ = false;
};

// The ":name" parameters of a statement text, in order of first appearance, without the colon (names inside
// quotes, brackets and comments are not parameters).
std::vector<std::string> ParameterNamesOf(std::string_view text);

class TAdsQuery : public TAdsDataSet {
 public:
  explicit TAdsQuery(std::string name = "", std::string ownerName = "");
  ~TAdsQuery() override;

  // Change the statement through SQL(); the parameters follow the text.
  TStringList& SQL() { return sql_; }
  const TStringList& SQL() const { return sql_; }
  bool RequestLive = false;

  // The parameter of that name (without regard to case, the colon optional); EADSDatabaseError when the
  // statement has none such.
  TParam& ParamByName(std::string_view name);
  std::vector<std::string> ParamNames();

  void Prepare();  // refuses while a result is open
  bool Prepared() const { return prepared_; }
  void ExecSQL();
  void CloseStatement();  // refuses while a result is open; 5106 (closed already) is not an error
  // Rows the last execution inserted, changed or deleted (the statement's record count).
  std::uint64_t RowsAffected();

  void SetTablePassword(std::string_view table, std::string_view password);
  void EnableStatementEncryption(std::string_view password);
  void ClearTablePasswords();

  ace::AdsHandle StatementHandle() const { return statement_; }

 protected:
  ace::AdsHandle OpenCursor() override;
  void CloseCursor(ace::AdsHandle cursor) override;
  void ConnectionClosing() override;

 private:
  ace::AdsHandle EnsureStatement();
  // Options, text and parameters, then the execution; the cursor it gave (0 for none).
  ace::AdsHandle Run(bool& ok);
  void SyncParams();

  TStringList sql_;
  std::string paramsText_;
  bool paramsSynced_ = false;
  std::vector<TParam> params_;
  ace::AdsHandle statement_ = 0;
  bool prepared_ = false;
};

}  // namespace kv::engine
