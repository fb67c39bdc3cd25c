#include "upgrade/column_upgrade.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "upgrade/dictionary_routines.h"

namespace kv::upgrade {

namespace {

using engine::TFieldType;

const std::string kDq = "\"";

// What a type code adds, what the change test expects of an existing column, and the word of its conversion
// form (the statement for Size "0").
struct TypeCode {
  std::string_view code;
  std::optional<TFieldType> expected;  // none: no existing column is ever in the wanted state
  std::string (*addForm)(const std::string& column, const std::string& size);  // nullptr: there is none
  std::string_view conversionWord;                                            // empty: there is none
};

const std::vector<TypeCode>& TypeCodes() {
  static const std::vector<TypeCode> codes{
      {"C", TFieldType::ftString,
       [](const std::string& c, const std::string& s) { return "add column " + c + " char(" + s + ")"; }, ""},
      {"$", TFieldType::ftCurrency,
       [](const std::string& c, const std::string&) { return "add column " + c + " curdouble "; }, "curdouble"},
      {"D", TFieldType::ftDate, [](const std::string& c, const std::string&) { return "add column " + c + " date "; },
       "date"},
      {"I", TFieldType::ftInteger,
       [](const std::string& c, const std::string&) { return "add column " + c + " INTEGER "; }, "INTEGER"},
      {"L", TFieldType::ftBoolean,
       [](const std::string& c, const std::string&) { return "add column " + c + " LOGICAL "; }, "Logical"},
      {"T", TFieldType::ftTime, [](const std::string& c, const std::string&) { return "ADD column " + c + " TIME "; },
       "TIME"},
      {"B", TFieldType::ftBlob, [](const std::string& c, const std::string&) { return "add column " + c + " BLOB "; },
       "BLOB"},
      {"Z", std::nullopt, [](const std::string& c, const std::string&) { return "add column " + c + " double "; },
       ""},
      {"+", std::nullopt, [](const std::string& c, const std::string&) { return "add column " + c + " AutoInc "; },
       ""},
      // A resize of a missing column adds it at that size: the table ends as the request describes it, where the
      // table line alone would only be refused after the table had been decrypted and detached for nothing.
      {"AS", TFieldType::ftString,
       [](const std::string& c, const std::string& s) { return "add column " + c + " char(" + s + ")"; }, ""},
      {"IC", TFieldType::ftString,
       [](const std::string& c, const std::string& s) {
         return "alter column " + c + " " + kDq + c + kDq + " char(" + s + ")";
       },
       ""},
      {"AI", std::nullopt,
       [](const std::string& c, const std::string&) { return "alter column " + c + " " + c + " INTEGER "; }, ""},
  };
  return codes;
}

const TypeCode* FindTypeCode(std::string_view code) {
  for (const TypeCode& t : TypeCodes())
    if (t.code == code) return &t;
  return nullptr;
}

int SizeValue(const std::string& size) {
  int value = 0;
  const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), value);
  if (error != std::errc() || end != size.data() + size.size() || size.empty())
    throw std::invalid_argument("'" + size + "' is not a valid integer value");
  return value;
}

// The tables the dictionary always keeps encrypted, whatever the request says.
bool DictionaryEncrypts(const std::string& table) {
  return table == "EMPLOYEE" || table == "EMP_PROS" || table == "P_HTRX";
}

struct Decision {
  enum class Kind { Nothing, Execute, Refuse } kind = Kind::Nothing;
  std::string text;  // the statement's second line, or the words of the refusal
};

// Steps 6 to 8 of a request: what, if anything, the statement's second line is.
Decision Decide(const engine::TAdsTable& table, const std::string& tableName, const std::string& column,
                const std::string& code, const std::string& size) {
  const engine::TField* field = table.FindField(column);
  const TypeCode* type = FindTypeCode(code);
  // A code the engine has no form for is a fault of the list that names it: said, and nothing touched.
  if (type == nullptr) return {Decision::Kind::Refuse, "Unknown column type " + code + " for column " + column +
                                                           " Table Name " + tableName};
  if (field != nullptr && (code == "AS" || code == "IC" || size == "0")) {
    // Size "0" for a code without a conversion form would ask for a zero-length character column or half a
    // statement: like every other request for an existing column that names no change, it leaves it alone.
    if (size == "0" && type->conversionWord.empty()) return {};
    const int wanted = SizeValue(code == "$" ? std::string("7") : size);
    const bool needed = field->DataSize() - 1 != wanted || !type->expected ||
                        field->DataType() != *type->expected;
    if (!needed) return {};
    if (size != "0")
      return {Decision::Kind::Execute,
              "alter column " + kDq + column + kDq + " " + kDq + column + kDq + " char(" + size + ")"};
    return {Decision::Kind::Execute, "alter column " + column + " " + column + " " + std::string(type->conversionWord)};
  }
  const bool autoIncKey =
      field != nullptr && (column == "NO" || column == "ID") && field->DataType() == TFieldType::ftAutoInc;
  if (field == nullptr || autoIncKey) return {Decision::Kind::Execute, type->addForm(column, size)};
  return {};
}

}  // namespace

ColumnOutcome OutcomeOf(std::string_view code, std::string_view size) {
  ColumnOutcome outcome;
  outcome.present = !code.empty();
  if (!outcome.present) return outcome;
  const TypeCode* type = FindTypeCode(code);
  if (type == nullptr) return outcome;
  if (code != "AI" && code != "IC") outcome.addedType = type->expected;
  if (code == "AS" || code == "IC") {
    if (size != "0") {
      outcome.type = TFieldType::ftString;
      outcome.length = SizeValue(std::string(size));
    }
  } else if (size == "0" && !type->conversionWord.empty()) {
    outcome.type = type->expected;
  }
  return outcome;
}

namespace {

template <typename Step>
std::optional<std::string> FailureOf(Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

// A free table decrypted for a change that did not happen is encrypted again, unpacked: it leaves as it came.
std::optional<std::string> EncryptAgain(engine::TAdsTable& table) {
  return FailureOf([&] {
    table.Close();
    table.SetExclusive(true);
    table.Open();
    table.EnableEncryption(engine::kTablePassword);
    table.EncryptTable();
    table.Close();
  });
}

void LeaveClosedAndExclusive(engine::TAdsTable& table) {
  table.Close();
  table.Close();
  table.SetExclusive(true);
}

}  // namespace

void UpgradeColumn(const WindowObjects& window, std::string_view table, std::string_view column,
                   std::string_view typeCode, std::string_view size, bool encrypted) {
  const std::string tableName(table), columnName(column), code(typeCode), sizeText(size);
  engine::TAdsTable& t = window.AdsTable1;
  engine::TAdsQuery& q = window.AdsQuery1;
  engine::TAdsConnection& c = window.AdsConnection1;

  const std::string progress = "Updating file : " + tableName + " Field : " + columnName;
  window.showProgress(progress);
  window.ui.ProcessMessages();

  q.SetIndexFieldNames("");
  t.Close();
  q.Close();
  q.CloseStatement();
  t.Close();
  window.ui.ProcessMessages();
  t.SetIndexFieldNames("");
  t.SetTableName(tableName);
  if (!t.Exists()) return;

  t.SetExclusive(false);
  try {
    t.Open();
  } catch (const std::exception& e) {
    window.ui.ShowMessage(std::string(e.what()) + " Table Name " + progress);
    throw;
  }

  const bool dictionaryMode = c.Tag() == kDictionaryModeTag;
  bool decrypted = false;
  bool detached = false;
  bool dictionaryHadItEncrypted = false;
  bool executed = false;
  std::optional<Decision> refused;
  std::optional<std::string> failure = FailureOf([&] {
    if (encrypted && !c.IsDictionary()) t.EnableEncryption(engine::kTablePassword);
    const Decision decision = Decide(t, tableName, columnName, code, sizeText);
    if (decision.kind == Decision::Kind::Refuse) refused = decision;
    if (decision.kind != Decision::Kind::Execute) return;
    // The statement is written first, so that a failure before it runs shows what the request was about.
    q.SQL().Clear();
    q.SQL().Add("ALTER TABLE " + kDq + tableName + ".ADT" + kDq);
    q.SQL().Add(decision.text);

    t.Close();
    t.SetExclusive(true);
    t.Open();
    if (encrypted && !c.IsDictionary()) {
      t.EnableEncryption(engine::kTablePassword);
      t.DecryptTable();
      decrypted = true;
    }
    t.Close();
    if (dictionaryMode) {
      if (DictionaryEncrypts(tableName)) encrypted = true;
      detached = true;
      dictionaryHadItEncrypted = DetachFromDictionary(window, tableName, encrypted);
    }
    q.ExecSQL();
    q.CloseStatement();
    executed = true;
  });

  // Whatever the statement did, the table goes back into the dictionary, encrypted when it was before.
  if (detached) {
    const auto attachFailure =
        FailureOf([&] { AttachToDictionary(window, tableName, encrypted || dictionaryHadItEncrypted); });
    if (!failure) failure = attachFailure;
  }

  if (executed) {
    bool packAndEncrypt = encrypted;
    if (dictionaryMode && DictionaryEncrypts(tableName)) packAndEncrypt = false;  // the dictionary encrypts those
    if (packAndEncrypt && !failure) {
      failure = FailureOf([&] {
        t.Close();
        t.Open();
        t.PackTable();
        if (!c.IsDictionary()) {
          t.EnableEncryption(engine::kTablePassword);
          t.EncryptTable();
        }
        t.Close();
        decrypted = false;
      });
    }
  }
  // Encrypted again before anything is shown: a message left open must not keep payroll data in the clear.
  if (decrypted && !c.IsDictionary()) {
    if (const auto again = EncryptAgain(t); again && !failure) failure = again;
  }

  if (refused) window.ui.ShowMessage(refused->text);
  if (failure) window.ui.ShowMessage(*failure + " Table Name " + tableName + "\r\n" + " SQL " + q.SQL().Text());
  LeaveClosedAndExclusive(t);
}

void DropColumn(const WindowObjects& window, std::string_view table, std::string_view column, bool encrypted) {
  const std::string tableName(table), columnName(column);
  engine::TAdsTable& t = window.AdsTable1;
  engine::TAdsQuery& q = window.AdsQuery1;
  engine::TAdsConnection& c = window.AdsConnection1;

  const std::string progress = "Updating file : " + tableName + " Field : " + columnName;
  window.showProgress(progress);
  window.ui.ProcessMessages();

  bool decrypted = false;
  std::optional<std::string> failure = FailureOf([&] {
    t.Close();
    t.SetTableName(tableName + ".ADT");
    if (!t.Exists()) return;
    t.SetExclusive(true);
    t.Open();
    if (encrypted && !c.IsDictionary()) t.EnableEncryption(engine::kTablePassword);
    if (t.FindField(columnName) == nullptr) return;
    if (encrypted && !c.IsDictionary()) {
      t.DecryptTable();
      decrypted = true;
    }
    t.Close();
    q.SQL().Clear();
    q.SQL().Add("ALTER TABLE " + kDq + tableName + ".ADT" + kDq + " ");
    q.SQL().Add("DROP column " + kDq + columnName + kDq);
    q.ExecSQL();
    q.CloseStatement();
    if (encrypted) {
      t.Close();
      t.Open();
      t.PackTable();
      if (!c.IsDictionary()) {
        t.EnableEncryption(engine::kTablePassword);
        t.EncryptTable();
      }
      t.Close();
      decrypted = false;
    }
  });
  if (decrypted) {
    if (const auto again = EncryptAgain(t); again && !failure) failure = again;
  }
  if (failure) window.ui.ShowMessage(*failure + " Table Name " + progress);
  t.Close();
}

}  // namespace kv::upgrade
