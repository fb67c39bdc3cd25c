#include "engine/types.h"

#include "support/strings.h"

namespace kv::engine {

std::string_view FieldTypeName(TFieldType type) {
  switch (type) {
    case TFieldType::ftUnknown: return "ftUnknown";
    case TFieldType::ftString: return "ftString";
    case TFieldType::ftSmallint: return "ftSmallint";
    case TFieldType::ftInteger: return "ftInteger";
    case TFieldType::ftWord: return "ftWord";
    case TFieldType::ftBoolean: return "ftBoolean";
    case TFieldType::ftFloat: return "ftFloat";
    case TFieldType::ftCurrency: return "ftCurrency";
    case TFieldType::ftBCD: return "ftBCD";
    case TFieldType::ftDate: return "ftDate";
    case TFieldType::ftTime: return "ftTime";
    case TFieldType::ftDateTime: return "ftDateTime";
    case TFieldType::ftBytes: return "ftBytes";
    case TFieldType::ftVarBytes: return "ftVarBytes";
    case TFieldType::ftAutoInc: return "ftAutoInc";
    case TFieldType::ftBlob: return "ftBlob";
    case TFieldType::ftMemo: return "ftMemo";
    case TFieldType::ftGraphic: return "ftGraphic";
    case TFieldType::ftFmtMemo: return "ftFmtMemo";
    case TFieldType::ftParadoxOle: return "ftParadoxOle";
    case TFieldType::ftDBaseOle: return "ftDBaseOle";
    case TFieldType::ftTypedBinary: return "ftTypedBinary";
    case TFieldType::ftLargeint: return "ftLargeint";
    case TFieldType::ftWideString: return "ftWideString";
  }
  return "ftUnknown";
}

TFieldType LogicalTypeOf(ace::FieldType engineType) {
  using ace::FieldType;
  switch (engineType) {
    case FieldType::Char: return TFieldType::ftString;
    case FieldType::ShortInt: return TFieldType::ftSmallint;
    case FieldType::Integer: return TFieldType::ftInteger;
    case FieldType::Logical: return TFieldType::ftBoolean;
    case FieldType::Double: return TFieldType::ftFloat;
    case FieldType::CurDouble: return TFieldType::ftCurrency;
    case FieldType::Date: return TFieldType::ftDate;
    case FieldType::Time: return TFieldType::ftTime;
    case FieldType::TimeStamp: return TFieldType::ftDateTime;
    case FieldType::Raw: return TFieldType::ftBytes;
    case FieldType::Binary: return TFieldType::ftBlob;
    case FieldType::AutoInc: return TFieldType::ftAutoInc;
    case FieldType::Memo: return TFieldType::ftMemo;
    case FieldType::Image: return TFieldType::ftGraphic;
  }
  return TFieldType::ftUnknown;
}

std::uint16_t TableTypeCode(TAdsTableTypes type) {
  switch (type) {
    case TAdsTableTypes::ttAdsNTX: return 1;
    case TAdsTableTypes::ttAdsCDX: return 2;
    case TAdsTableTypes::ttAdsADT: return 3;
    case TAdsTableTypes::ttAdsDefault: return 0;
  }
  return 0;
}

bool IsAdtTable(TAdsTableTypes type) { return type == TAdsTableTypes::ttAdsADT || type == TAdsTableTypes::ttAdsDefault; }

std::uint16_t CharTypeCode(TAdsCharTypes type) { return type == TAdsCharTypes::OEM ? 2 : 1; }
std::uint16_t LockTypeCode(TAdsLockTypes type) { return type == TAdsLockTypes::Compatible ? 0 : 1; }

bool FieldWord(TFieldType type, int size, TAdsTableTypes tableType, std::string& word, std::string& error) {
  const bool adt = IsAdtTable(tableType);
  const std::string n = std::to_string(size);
  auto unsupported = [&] {
    error = std::string(FieldTypeName(type)) + " is not a supported field type.";
    return false;
  };
  word.clear();
  switch (type) {
    case TFieldType::ftString: word = "Char," + n + ";"; return true;
    case TFieldType::ftSmallint:
    case TFieldType::ftWord: word = adt ? "ShortInt;" : "Num,6,0;"; return true;
    case TFieldType::ftInteger: word = adt ? "Integer;" : "Num,11,0;"; return true;
    case TFieldType::ftBoolean: word = "Logical;"; return true;
    case TFieldType::ftFloat: word = adt ? "Double,6;" : "Num,20,4;"; return true;
    case TFieldType::ftCurrency:
      if (!adt) return unsupported();
      word = "CurDouble,6;";
      return true;
    case TFieldType::ftBCD: return unsupported();
    case TFieldType::ftDate: word = "Date;"; return true;
    case TFieldType::ftTime:
      if (!adt) return unsupported();
      word = "Time;";
      return true;
    case TFieldType::ftDateTime:
      if (!adt) return unsupported();
      word = "TimeStamp;";
      return true;
    case TFieldType::ftBytes: word = (adt ? "Raw," : "Char,") + n + ";"; return true;
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftTypedBinary: word = "Binary;"; return true;
    case TFieldType::ftAutoInc:
      if (!adt) return unsupported();
      word = "AutoInc;";
      return true;
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo: word = "Memo;"; return true;
    case TFieldType::ftGraphic: word = "Image;"; return true;
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftUnknown: return unsupported();
    case TFieldType::ftLargeint:
    case TFieldType::ftWideString: return true;
  }
  return true;
}

TFieldDef& TFieldDefs::Add(std::string name, TFieldType type, int size) {
  defs_.push_back(TFieldDef{std::move(name), type, size});
  return defs_.back();
}

bool FieldDefinitionString(const TFieldDefs& defs, TAdsTableTypes tableType, std::string& text, std::string& error) {
  text.clear();
  for (const TFieldDef& def : defs) {
    std::string word;
    if (!FieldWord(def.DataType, def.Size, tableType, word, error)) {
      text.clear();
      return false;
    }
    text += def.Name + "," + word;
  }
  return true;
}

std::uint32_t IndexOptionBits(const TIndexOptions& options, TAdsTableTypes tableType) {
  std::uint32_t bits = 0;
  if (options.Has(TIndexOption::ixUnique)) bits |= 1;
  if (options.Has(TIndexOption::ixDescending)) bits |= 8;
  if (IsAdtTable(tableType) || tableType == TAdsTableTypes::ttAdsCDX) bits |= 2;
  return bits;
}

std::string IndexKeyText(const std::string& key, const TIndexOptions& options, TAdsTableTypes tableType,
                         const std::function<bool(const std::string&)>& isCharField) {
  std::string text = key;
  if (options.Has(TIndexOption::ixCaseInsensitive)) {
    text.clear();
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = key.find(';', start);
      const std::string part = key.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (start != 0) text += ";";
      text += isCharField(part) ? "UPPER(" + part + ")" : part;
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return IsAdtTable(tableType) ? text : kv::ReplaceAll(text, ";", "+");
}

TIndexDef& TIndexDefs::Add(std::string name, std::string fieldsOrExpression, TIndexOptions options) {
  TIndexDef def;
  def.Name = std::move(name);
  def.Fields = fieldsOrExpression;
  if (options.Has(TIndexOption::ixExpression)) def.Expression = std::move(fieldsOrExpression);
  def.Options = options;
  defs_.push_back(std::move(def));
  return defs_.back();
}

const TIndexDef* TIndexDefs::Find(std::string_view name) const {
  for (const TIndexDef& def : defs_)
    if (kv::SameText(def.Name, name)) return &def;
  return nullptr;
}

}  // namespace kv::engine
