#pragma once
// One open table: the handle through which records are read, navigated, searched and changed.
//
// Every handle of a table in this process shares one set of open files and caches (TableFiles); sharing between
// processes goes through byte-range locks on the table file:
//  - the "open" byte: each handle holds it shared, or exclusive when the table was opened exclusively, so an
//    exclusive open fails while anyone else has the table open and a shared open fails while someone holds it
//    exclusively;
//  - the "write" byte: held exclusively for the length of each change and shared for each read of a handle that
//    is not exclusive, so no one reads a change half made; the change counter in the header tells the others
//    that their caches are stale. A step in record order onto a record already read in the slot window skips
//    the lock: it reads the counters instead, and goes on only when they show no change since and none under
//    way (see TableFiles::CountersUnchanged);
//  - one byte per record: the record locks taken for editing.
// A handle opened exclusively skips the per-operation locks: no one else can have the table open.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ace/core/value.h"
#include "ace/storage/live_tally.h"
#include "ace/storage/table_header.h"
#include "platform/file.h"

namespace ace::storage {

class MemoFile;
class TableFiles;

// What a whole-table rewrite does to each record: reads the old record and writes the new one.
struct RecordMapping {
  std::vector<FieldSpec> fields;  // the new layout
  // Fills the new record's values from the old record; old(i) gives old field i's value (memo values included).
  std::function<void(const std::function<Value(int)>& old, std::vector<Value>& out)> map;
  // The tags of the new table (say, with a renamed field's new name in their keys); when unset, the old tags.
  // Either way a tag whose key no longer reads against the new layout (it names a dropped field) is left out.
  std::optional<std::vector<TagDefinition>> tags;
  // Per new field (a shorter list: the rest -1): the old field whose bytes it takes over as they are, the value
  // and its empty mark, instead of a value from map, which leaves such a field alone. Only for a field of the
  // old field's type, length and decimals that is neither memo-like nor AutoInc (kInternal otherwise).
  std::vector<int> copied;
};

class Table {
 public:
  struct Options {
    bool exclusive = false;
    bool readOnly = false;
    // A private table in a folder of its own that no crash needs to keep (a statement's result): made and
    // closed without syncing it to disk.
    bool scratch = false;
    // With scratch, for the data of encrypted tables: made encrypted with the process's scratch secret
    // (ace/core/scratch_secret.h), which every open with this option gives.
    bool sealed = false;
    // With exclusive: appended records reach the file in batches of some 64 KiB rather than one write each (see
    // TableFiles::BatchAppends). A batch that cannot be written fails the call that wrote it out, and the last
    // one is written by Close, which says so when it fails: an owner that asks for batches closes with Close.
    bool batchAppends = false;
  };

  // Makes NAME.ADT (and NAME.ADM when a field needs it) at the host path given with its extension, replacing a
  // stale .ADM or .ADI of that name, and opens it. Throws AceError(kFileExists) when the table file is there.
  static std::unique_ptr<Table> Create(const std::filesystem::path& path, const std::vector<FieldSpec>& fields,
                                       std::uint8_t charType, Options options);
  // Throws kFileNotFound, kTableInUse, kCorruptFile.
  static std::unique_ptr<Table> Open(const std::filesystem::path& path, Options options);
  // Removes the table's files; the table must not be open anywhere (kTableInUse).
  static void Drop(const std::filesystem::path& path);

  // Closes the table: writes what is still pending (the record being edited, appends waiting in a batch, the
  // counters, the index's clean mark) and makes a changed table durable. Throws when any of that fails, naming
  // what was not written; the table is closed either way. Appends that never reached the file are then
  // missing, and the table still says a change was under way, so the next open by one user alone counts the
  // records again and rebuilds the index. The destructor does the same but cannot tell anyone.
  void Close();
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const std::filesystem::path& Path() const;
  std::string Name() const;  // the file name without folder and extension
  const TableHeader& Header();
  bool IsExclusive() const { return options_.exclusive; }
  bool IsReadOnly() const { return options_.readOnly; }

  // Encryption. GivePassword checks the password of an encrypted table (kWrongPassword) or keeps it for a later
  // Encrypt; it answers false when this handle had the password already (nothing changed).
  bool GivePassword(std::string_view password);
  bool HasPassword() { return !password_.empty() || !Header().encrypted; }
  bool IsEncrypted();
  // Rewrite the table sealed with the given password / in clear. kEncryptionUnchanged when it already is;
  // kPasswordRequired when no password was given. Need sole use of the table (kTableInUse otherwise).
  void Encrypt();
  void Decrypt();

  // Index tags.
  std::vector<TagDefinition> Tags();
  void CreateTag(const std::string& name, const std::string& expression, std::uint32_t options, std::uint16_t pageSize);
  void DropTag(const std::string& name);
  // -1 for natural (record number) order.
  void SetOrder(int tag);
  int Order() const { return order_; }
  int FindTag(std::string_view name);

  // Navigation. Without the password of an encrypted table a handle in a tag's order cannot know where it is:
  // moves succeed, but reading the record fails with kPasswordRequired until the password is given.
  void GotoTop();
  void GotoBottom();
  void Skip(std::int64_t count);
  void GotoRecord(std::uint64_t recno);
  bool AtEof() const { return eof_; }
  bool AtBof() const { return bof_; }
  std::uint64_t RecordNumber() const { return recno_; }
  // Seeks the given leading key values in the current order: kExact stops only on an equal key, kNearest on the
  // first key at or after them. True when the key found is equal; positions at EOF when nothing is found.
  enum class SeekMode { kExact, kNearest };
  bool Seek(std::span<const Value> values, SeekMode mode);
  // Restricts the current order to keys between top and bottom (leading values; an empty list leaves that end
  // open).
  void SetScope(std::vector<Value> top, std::vector<Value> bottom);
  void ClearScope();
  std::uint64_t RecordCount();

  // A record filter: navigation passes over records for which it answers false (it reads the current record
  // through GetField). An empty function removes the filter. Seek finds only records that pass it.
  void SetFilter(std::function<bool()> filter);
  bool HasFilter() const { return static_cast<bool>(filter_); }
  // Records that pass the filter (all live records without one); counts by reading the table.
  std::uint64_t FilteredCount();

  // The current record.
  Value GetField(int field);
  bool IsFieldEmpty(int field);
  void LockRecord();
  void UnlockRecord();
  void AppendRecord();  // a new blank record buffer; written by WriteRecord
  void SetField(int field, const Value& value);
  void WriteRecord();
  void CancelRecord();
  void DeleteRecord();
  bool HasPendingChanges() const { return dirty_; }

  // Holds the table for one statement that reads or changes many records: shared, so that no one changes it
  // meanwhile, or for writing, so that no one else reads or changes it meanwhile. Under a hold this handle's
  // reads and writes take no lock of their own (as under an exclusive open; record locks are still taken), and
  // the changes of a writing hold reach the counters on disk and the index file once, at Release, instead of
  // after every record. Until then the table is marked as in the middle of a change, so a crash inside the hold
  // is repaired by the next sole open, as after any interrupted change. A hold takes the table's "write" byte for
  // its whole length: hold one table for writing at a time, and release it before holding another. Holds do not
  // nest; a hold not released is released by its destructor.
  enum class HoldMode { kNone, kRead, kWrite };
  class Hold {
   public:
    Hold(Table& table, HoldMode mode);  // kRead or kWrite
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    // Writes what the hold changed (counters, index pages) and lets the table go.
    void Release();

   private:
    Table* table_;
  };

  // Under a hold for writing: fails with kRecordLocked, naming the record, when another user holds the lock of
  // one of these records, and leaves no lock behind: whoever locks one of them from now on reads it only after
  // the hold, and so edits it as this statement leaves it. One probe covers them all while no record from the
  // first to the last is locked; else each is tried.
  // Until the hold ends SetField and DeleteRecord take no record lock of their own for these records.
  void RequireUnlocked(std::span<const std::uint64_t> recnos);

  // Under a hold for writing, before the statement changes these records: keeps what they hold now (whole, or
  // only their status bytes when the statement only deletes) in the table's journal, so that the statement is
  // all or nothing also across a crash (journal.h). The hold then ends with the statement's changes made
  // durable; a hold ended by its destructor rather than Release leaves them to be rolled back. One record needs
  // no journal: its write is one write.
  void KeepForRollback(std::span<const std::uint64_t> recnos, bool wholeRecords);

  // Whole-table changes: written beside the old files and swapped in atomically.
  void Pack();
  void Zap();
  void Restructure(const RecordMapping& mapping);

 private:
  Table(std::shared_ptr<TableFiles> files, Options options, kv::fs::File lock);
  void BeginRead();
  void EndRead();
  class ReadScope;
  class WriteScope;
  void LoadCurrent();
  void Position(std::uint64_t recno);
  void PositionFromCursor();
  bool InScope(std::span<const std::uint8_t> key) const;
  void FlushPending();
  // Takes the write byte (shared to read, alone to change) and makes the counters current under it; the byte is
  // let go again when they show damage or a change left unfinished.
  void LockWriteByte(bool write);
  void RequireData();
  void RequireRecord();
  void RequireSole(const char* what);
  void ReleaseSole();
  void ScanNatural(std::uint64_t from, int direction);
  [[noreturn]] void StatusDamaged(std::uint64_t recno) const;
  void Preload(const std::uint8_t* slot);
  void PreloadCurrent();
  void MoveRaw(int direction);
  bool StepInWindow(int direction);
  void GotoEnd(int direction);
  void GotoEndRaw(int direction);
  // Places the cursor on the first entry in the direction within the scope: +1 the top, -1 the bottom.
  void CursorToEnd(int direction);
  void SettleOnFilter(int direction);
  bool PassesFilter();
  // What a whole-table rewrite makes of the table: the old one as it is, unless told otherwise.
  struct Rewrite {
    const RecordMapping* mapping = nullptr;  // a new layout (a restructure)
    bool keepRecords = true;                 // false: an empty table (a zap)
    std::optional<bool> encrypt = std::nullopt;  // sealed (true) or in clear (false); unset: as it is
  };
  void RewriteAll(const Rewrite& rewrite);
  // The steps of RewriteAll (table_rewrite.cpp): the records into the new file, its index, and the swap.
  void CopyRecords(TableHeader& fresh, const RecordMapping* mapping, const Cipher* cipher, kv::fs::File& out,
                   MemoFile* memo);
  void BuildRewrittenIndex(const TableHeader& fresh, const Cipher* cipher, const kv::fs::File& out,
                           const std::filesystem::path& path);
  void SwapInRewrite(const TableHeader& fresh, bool hadMemo, kv::fs::File out, const std::optional<Cipher>& cipher);
  // No per-operation locks: an exclusive open, or a hold.
  bool Unlocked() const { return options_.exclusive || hold_ != HoldMode::kNone; }
  // A record RequireUnlocked found free under the current hold for writing.
  bool Probed(std::uint64_t recno) const;

  // The record locks this handle holds, each with the reason it is held.
  enum class LockReason {
    kAsked,      // by LockRecord: held until UnlockRecord
    kForChange,  // by SetField or DeleteRecord: let go once that change is written or cancelled
  };
  class RecordLocks {
   public:
    bool Holds(std::uint64_t recno) const { return held_.count(recno) != 0; }
    bool HeldFor(std::uint64_t recno, LockReason why) const {
      const auto it = held_.find(recno);
      return it != held_.end() && it->second == why;
    }
    void Add(std::uint64_t recno, LockReason why) { held_[recno] = why; }
    bool Remove(std::uint64_t recno) { return held_.erase(recno) != 0; }
    bool Empty() const { return held_.empty(); }
    void Clear() { held_.clear(); }

   private:
    std::map<std::uint64_t, LockReason> held_;
  };
  // Locks the current record for the reason given. A lock held already stays, now kept as asked for when it is.
  void TakeRecordLock(LockReason why);
  // Lets go of the current record's lock when it was taken for the change now written or cancelled.
  void ReleaseChangeLock();

  std::shared_ptr<TableFiles> files_;
  Options options_;
  kv::fs::File lock_;
  std::string password_;

  int order_ = -1;
  std::vector<std::uint8_t> scopeTop_, scopeBottom_;
  std::uint64_t recno_ = 0;
  bool eof_ = true, bof_ = true;
  bool positionUnknown_ = false;
  struct CursorState;
  std::unique_ptr<CursorState> cursor_;

  // A record's payload in clear, and what it was read as.
  struct RecordImage {
    std::vector<std::uint8_t> payload;
    bool valid = false;            // payload holds record recno (or the new record being appended)
    std::uint64_t recno = 0;
    bool live = false;             // read as a live record: a deleted one still reads
    std::uint64_t change = ~0ULL;  // the table's change counter when it was read
    // The file still holds this as live record r at change counter `counter`.
    bool Current(std::uint64_t r, std::uint64_t counter) const {
      return valid && live && recno == r && change == counter;
    }
  };
  // The current record's buffers.
  struct RecordBuffers {
    RecordImage loaded;  // the current record as read, or as edited since
    // Loaded while positioning, under the same read lock: good while the table's change counter stays the same.
    bool preloaded = false;
    RecordImage before;                // the current record as it was before the edit under way (see SetField)
    std::vector<std::uint8_t> staged;  // the record WriteRecord is writing (kept for its capacity)
  };
  // The record just read into record_.loaded while positioning is the current one, live.
  void MarkPreloaded();

  RecordBuffers record_;
  bool dirty_ = false, appending_ = false;
  std::map<int, std::string> pendingMemo_;
  RecordLocks locks_;
  std::function<bool()> filter_;
  bool inFilter_ = false;
  HoldMode hold_ = HoldMode::kNone;
  bool holdTorn_ = false;   // a change under the hold failed after its first byte was written
  std::uint64_t probedLo_ = 1, probedHi_ = 0;  // RequireUnlocked: a range found free as a whole
  std::vector<std::uint64_t> probed_;          // or the records found free one by one (sorted)
  LiveTally tally_;  // the pass in record order under way, checked against the header's count at its end
};

}  // namespace ace::storage
