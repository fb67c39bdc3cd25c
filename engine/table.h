#pragma once
// TAdsTable: one table reached through a connection, by dictionary name or by path in the connection's folder.
//
// Besides what every dataset does it creates tables from FieldDefs and IndexDefs, adds indexes, encrypts and
// decrypts, packs, empties and deletes tables, and reads its index definitions back. TableName, TableType and
// Exclusive may only change while the table is closed.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/dataset.h"

namespace kv::engine {

class TAdsTable : public TAdsDataSet {
 public:
  explicit TAdsTable(std::string name = "", std::string ownerName = "");
  ~TAdsTable() override;

  const std::string& TableName() const { return tableName_; }
  void SetTableName(std::string name);
  TAdsTableTypes TableType() const { return tableType_; }
  void SetTableType(TAdsTableTypes type);
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool exclusive);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  TFieldDefs FieldDefs;
  TIndexDefs IndexDefs;

  // Open: an open table, or a file of the table in the table folder (".adt" / ".dbf" added to a name without
  // extension); false without a name or without a table folder. The engine is not asked.
  bool Exists();
  // Creates the table from FieldDefs (and IndexDefs); the table stays closed.
  void CreateTable();
  void AddIndex(const std::string& name, const std::string& fields, TIndexOptions options);

  // Encryption of the open table; the engine's "already so" answer (5068) is success. The first three
  // re-synchronise the cursor afterwards; IsTableEncrypted only asks and leaves the cursor alone.
  void EnableEncryption(std::string_view password);
  void EncryptTable();
  void DecryptTable();
  bool IsTableEncrypted();

  void PackTable();
  void EmptyTable();   // open or closed
  void DeleteTable();  // closed

  // Reads the names, keys and options of every index of the table (opened for the read when closed): ixUnique
  // and ixDescending as the engine reports them, ixExpression for every index of an ADT table (and for a key with
  // a function in it on other types); ixCaseInsensitive is never reported (the key shows UPPER(field)).
  void UpdateIndexDefs();
  // True after AddIndex until the definitions are read again.
  bool IndexDefsStale() const { return indexDefsStale_; }

  // "6.11 (ACE 10.00)".
  static std::string EngineVersionText();

  ErrorSource Source() const override;

 protected:
  ace::AdsHandle OpenCursor() override;
  void OpenWhileActive() override;
  bool OpenedExclusively() const override { return exclusive_; }
  void DictionaryDefaultIndex(const std::string& tag) override;
  std::string DictionaryTableName() const override { return tableName_; }

 private:
  std::uint32_t OpenMode() const;
  // Checks the name and connection, connects, and opens the engine table (the dictionary's name first on a
  // dictionary connection, then the file in its folder). 0 when a failure was not raised.
  ace::AdsHandle OpenEngineTable(std::uint32_t mode, bool readBackType);
  void PrepareForEngine();
  std::string PathName() const;  // table folder + "\" + TableName
  void CreateIndexOn(ace::AdsHandle table, const std::string& name, std::string key, const TIndexOptions& options);
  void ResultOrUnchanged(ace::ResultCode result);

  std::string tableName_;
  TAdsTableTypes tableType_ = TAdsTableTypes::ttAdsADT;
  bool exclusive_ = false;
  bool readOnly_ = false;
  bool indexDefsStale_ = true;
};

}  // namespace kv::engine
