#pragma once
// The vocabulary of the component objects: logical field types, table types and options, index options, and
// the field and index definition lists a table is created from.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ace/core/field_type.h"

namespace kv::engine {

// The logical field types table definitions are written in. The field word CreateTable writes for each depends
// on the table type (FieldWord); ftLargeint and ftWideString have no word at all.
enum class TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftLargeint,
  ftWideString,
};

std::string_view FieldTypeName(TFieldType type);  // "ftCurrency"

// The logical type an engine field of the given type reads as (Char gives ftString, CurDouble ftCurrency, ...).
TFieldType LogicalTypeOf(ace::FieldType engineType);

enum class TAdsTableTypes { ttAdsNTX, ttAdsCDX, ttAdsADT, ttAdsDefault };
enum class TAdsCharTypes { ANSI, OEM };
enum class TAdsLockTypes { Proprietary, Compatible };

// ADT tables: ttAdsADT and ttAdsDefault (the engine's default type, an ADT table on every connection this tool
// makes). Field words, index option bits, index keys and the file Exists looks for follow this one rule.
bool IsAdtTable(TAdsTableTypes type);

// Engine codes of the table options.
std::uint16_t TableTypeCode(TAdsTableTypes type);  // NTX 1, CDX 2, ADT 3, default 0
std::uint16_t CharTypeCode(TAdsCharTypes type);    // ANSI 1, OEM 2
std::uint16_t LockTypeCode(TAdsLockTypes type);    // Proprietary 1, Compatible 0

struct TAdsTableOptions {
  TAdsCharTypes AdsCharType = TAdsCharTypes::ANSI;
  TAdsLockTypes AdsLockType = TAdsLockTypes::Proprietary;
  bool AdsRightsCheck = true;  // engine code 1 (check rights); false gives 2 (ignore rights)
  std::uint16_t AdsIndexPageSize = 512;
  bool AdsOptimizedFilters = true;

  std::uint16_t RightsCode() const { return AdsRightsCheck ? 1 : 2; }
};

// The field word of a logical type for a table type, as the field definition string carries it ("Char,6;",
// "CurDouble,6;"). Returns false and sets error ("ftCurrency is not a supported field type.") for a type the
// table type cannot hold. A type with no word gives true and an empty word.
bool FieldWord(TFieldType type, int size, TAdsTableTypes tableType, std::string& word, std::string& error);

struct TFieldDef {
  std::string Name;
  TFieldType DataType = TFieldType::ftUnknown;
  int Size = 0;  // ftString and ftBytes only
};

class TFieldDefs {
 public:
  void Clear() { defs_.clear(); }
  TFieldDef& Add(std::string name, TFieldType type, int size = 0);
  std::size_t Count() const { return defs_.size(); }
  const TFieldDef& operator[](std::size_t i) const { return defs_[i]; }
  auto begin() const { return defs_.begin(); }
  auto end() const { return defs_.end(); }

 private:
  std::vector<TFieldDef> defs_;
};

// The field definition string of a table: for each field its name, ",", then its field word. Returns false and
// sets error for the first field whose type the table type cannot hold.
bool FieldDefinitionString(const TFieldDefs& defs, TAdsTableTypes tableType, std::string& text, std::string& error);

enum class TIndexOption { ixUnique, ixDescending, ixCaseInsensitive, ixExpression };

class TIndexOptions {
 public:
  TIndexOptions() = default;
  TIndexOptions(std::initializer_list<TIndexOption> options) {
    for (TIndexOption o : options) Include(o);
  }
  bool Has(TIndexOption o) const { return (bits_ & Bit(o)) != 0; }
  void Include(TIndexOption o) { bits_ |= Bit(o); }
  void Exclude(TIndexOption o) { bits_ &= static_cast<std::uint8_t>(~Bit(o)); }
  bool operator==(const TIndexOptions&) const = default;

 private:
  static std::uint8_t Bit(TIndexOption o) { return static_cast<std::uint8_t>(1u << static_cast<int>(o)); }
  std::uint8_t bits_ = 0;
};

// The engine option bits of an index: 1 unique, 8 descending, plus 2 (a tag in the table's compound index file)
// for ADT and CDX tables.
std::uint32_t IndexOptionBits(const TIndexOptions& options, TAdsTableTypes tableType);

// The key text an index is created with from fields joined by ";" or an expression. With ixCaseInsensitive each
// part that isCharField names becomes "UPPER(" + part + ")" (refusing it together with ixExpression is the
// caller's part); tables other than ADT get "+" for every ";".
std::string IndexKeyText(const std::string& key, const TIndexOptions& options, TAdsTableTypes tableType,
                         const std::function<bool(const std::string&)>& isCharField);

struct TIndexDef {
  std::string Name;
  std::string Fields;      // field names joined by ";" (as the engine reports the key when read back)
  std::string Expression;  // the key expression, used instead of Fields when ixExpression is set
  TIndexOptions Options;

  // What the index is built on: Expression when ixExpression is set and it is not empty, else Fields.
  const std::string& Key() const { return Options.Has(TIndexOption::ixExpression) && !Expression.empty() ? Expression : Fields; }
};

class TIndexDefs {
 public:
  void Clear() { defs_.clear(); }
  // fieldsOrExpression goes to Expression when options hold ixExpression, and to Fields as well.
  TIndexDef& Add(std::string name, std::string fieldsOrExpression, TIndexOptions options);
  std::size_t Count() const { return defs_.size(); }
  const TIndexDef& operator[](std::size_t i) const { return defs_[i]; }
  const TIndexDef* Find(std::string_view name) const;  // without regard to case
  auto begin() const { return defs_.begin(); }
  auto end() const { return defs_.end(); }

 private:
  std::vector<TIndexDef> defs_;
};

// The table password of the suite's free tables (also the password of "ADSSYS" on dictionary connections).
inline constexpr std::string_view kTablePassword = "MOLAR3816";

}  // namespace kv::engine
