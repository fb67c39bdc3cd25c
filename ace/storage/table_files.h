#pragma once
// The files of one table as this process has them open, shared by every handle of the table in the process:
// the table file, its memo file and its index file, the header, the key definitions of the tags, and the key
// for encrypted data once a handle has given the password.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ace/core/cipher.h"
#include "ace/index/index_file.h"
#include "ace/storage/append_batch.h"
#include "ace/storage/key_codec.h"
#include "ace/storage/tag_builder.h"
#include "ace/storage/memo_file.h"
#include "ace/storage/table_header.h"
#include "platform/file.h"

namespace ace::storage {

// Byte-range lock positions on the table file, far beyond any data.
inline constexpr std::uint64_t kOpenLockByte = 1ULL << 62;
inline constexpr std::uint64_t kWriteLockByte = kOpenLockByte + 1;
inline constexpr std::uint64_t kRecordLockBase = kOpenLockByte + 4096;

struct TablePaths {
  std::filesystem::path adt, adm, adi;
  std::filesystem::path Temp(const std::filesystem::path& p) const { return p.string() + ".new"; }
  std::filesystem::path Marker() const { return adt.string() + ".swap"; }
  // The three files of the table whose .ADT is at adt; the .ADM and .ADI found beside it without regard to case.
  static TablePaths For(const std::filesystem::path& adt);
};

class Journal;

class TableFiles : public std::enable_shared_from_this<TableFiles> {
 public:
  // The shared files of the table at path (an existing .ADT); opens them when this process has none yet.
  // sole tells whether this process is the table's only user right now (it may then repair what a crash left).
  static std::shared_ptr<TableFiles> Acquire(const std::filesystem::path& path, const kv::fs::File& lockFile,
                                             bool sole);
  ~TableFiles();

  const TablePaths& Paths() const { return paths_; }
  TableHeader& Header() { return header_; }
  // The table file itself; appends still waiting in memory are written first (see BatchAppends).
  kv::fs::File& Data() {
    WriteBatch();
    return data_;
  }
  MemoFile& Memo();
  std::pair<std::uint64_t, std::uint64_t> Identity() const { return identity_; }

  // Key for encrypted data: set once a handle gives the right password.
  const Cipher* DataCipher() const { return cipher_ ? &*cipher_ : nullptr; }
  void SetCipher(const Cipher& cipher);

  // Counters: re-read when another process may have changed the table; written after each change.
  void RefreshCounters();
  // With the write byte held (shared or exclusive) and the counters just read: a change still marked busy
  // belongs to no live writer (each holds the byte exclusively for its length). Its records may be half written,
  // so nothing may be read or changed until the next sole open repairs it: kCorruptFile saying so.
  void RefuseChangeLeftUnfinished() const;
  void WriteCounters();
  // Marks the start of a change (busy flag on disk, index marked dirty) and its end (counter bumped).
  void BeginChange(bool writeThrough);
  void EndChange(bool writeThrough);
  // After changes made without writing through (a hold): the counters, no longer busy, and the index pages to
  // disk, as EndChange(true) writes them after one change. Nothing when there were none.
  void FinishChanges();

  // Record slots.
  std::uint8_t ReadStatus(std::uint64_t recno);
  // Reads and opens a record's payload; false for a deleted record. Throws kPasswordRequired without the key.
  bool ReadPayload(std::uint64_t recno, std::vector<std::uint8_t>& payload);
  // Opens a slot already read (SlotSize bytes) into payload; false for a deleted record (whose payload is there
  // too when it was sealed and checked: see slot_seal.h).
  bool DecodeSlot(std::uint64_t recno, const std::uint8_t* slot, std::vector<std::uint8_t>& payload) const;
  // For a slot that a scan steps over as deleted: checks its seal when the table binds the status byte, so a
  // hidden record is reported (kCorruptFile) rather than skipped.
  void CheckSkipped(std::uint64_t recno, const std::uint8_t* slot);
  // Reads count whole slots from recno on into buffer; returns how many were there.
  std::uint64_t ReadSlots(std::uint64_t recno, std::uint64_t count, std::vector<std::uint8_t>& buffer);
  // The slot of recno (1..slots) out of a window of whole slots read in one large read: forward windows start at
  // recno, backward ones end there. A scan in record order so reads the file in big pieces instead of one read
  // a record. The window holds the file as it was at the current change counter: any write through these files
  // and any change seen from another process drops it. The pointer is good until the next call.
  const std::uint8_t* WindowSlot(std::uint64_t recno, int direction);
  // The slot of recno when the window already holds it for the current change counter; nullptr otherwise.
  const std::uint8_t* CachedSlot(std::uint64_t recno) const;
  // Reads the counter block without the write lock: true only when it reads whole, shows no change under way
  // and matches the counters this process saw last. A writer marks the block busy before it touches anything
  // and bumps the change counter when it is done, so then everything read since is still what the file holds.
  // The block is read from a shared view of the file's head (no system call); where the system gives no view,
  // from the file.
  bool CountersUnchanged();
  void WritePayload(std::uint64_t recno, const std::vector<std::uint8_t>& payload, std::uint8_t status);
  // Marks recno deleted; payload is its content, sealed again where the seal binds the status byte.
  void WriteDeleted(std::uint64_t recno, const std::vector<std::uint8_t>& payload);
  // Appends in batches, for the one handle that holds the table exclusively and asked for it: the slot of a new
  // record at the table's end waits in memory after the ones before it, and they reach the file in one write
  // when the batch is full, before anything else reads or writes the file, and at the close. Every read of
  // records here sees them all the same.
  void BatchAppends(bool on) { batching_ = on; }
  // Writes the waiting slots. When the write fails: kIoError naming the records, which stay waiting for another
  // try (the next change, read or close).
  void WriteBatch() {
    if (!batch_.Empty()) WriteBatchNow();
  }

  // The journal of the statement under way (journal.h). KeepRecords keeps the records' present bytes (whole
  // slots, or only their status bytes) and makes them durable before the statement overwrites any of them; from
  // then on every overwrite of a record not kept yet keeps it first. EndJournal(true) when the statement is
  // complete: its changes are made durable and the journal goes; EndJournal(false) after a failure part way
  // leaves the journal for the next sole open, which rolls the statement back.
  void KeepRecords(std::span<const std::uint64_t> recnos, bool whole);
  void EndJournal(bool complete);
  bool Journaling() const { return journal_ != nullptr; }
  // After a statement failed part way (EndJournal(false)): when this process has the table to itself (sole),
  // puts the records back from the journal now and rebuilds the index, so that the table is as before the
  // statement; true then. Otherwise the journal and the busy mark stay for the next sole open.
  bool RollBackLeftStatement(bool sole);

  // Indexes. Available() is false for an encrypted table until the key is known.
  bool IndexAvailable() const;
  index::IndexFile& Index();
  const std::vector<KeyDefinition>& Keys() const { return keys_; }
  index::TagId TagIdOf(int tag) const { return tagIds_.at(tag); }
  // Makes sure the index file matches the tags of the header; rebuilds it when it does not (only when this
  // process is its sole user, else kCorruptFile).
  void EnsureIndex(bool sole);
  // Writes the header's tag list into the table file after a tag was added at its end or one was taken out, so
  // that a crash at any moment leaves a list that reads (see the definition). Not synced: the caller syncs when
  // the change is complete.
  enum class TagListChange { kAdded, kRemoved };
  void WriteTagArea(TagListChange change);
  void RebuildIndex();
  void ReloadKeys();
  void RefreshTagIds();
  std::vector<std::uint8_t> KeyOf(int tag, const std::vector<std::uint8_t>& payload) const;
  // The payload of a new record: every field empty. Made once for the current layout.
  const std::vector<std::uint8_t>& BlankPayload();
  // The table's records as the index builds read them (tag_builder.h).
  SlotReader Records();
  // Adds tag t of the header to the open index file and builds its entries from the records.
  void BuildTag(int tag);

  // After a whole-table rewrite: forget everything and read the new files.
  void Reload();
  // Makes what was written to the table file durable. Until something is written again, the close has nothing
  // left to sync there.
  void SyncData();
  // Closes the index file cleanly (when this process is the table's sole user) before the last handle goes.
  // sync: false for a scratch table, whose data need not reach the disk.
  void CloseClean(bool sole, bool sync);

 private:
  explicit TableFiles(const std::filesystem::path& path);
  void OpenFiles(bool sole);
  // Whether every tag of the open index file holds as many entries as the table has live records.
  bool CountsAgree() const;
  void Repair();
  [[noreturn]] void FileCut(std::uint64_t slotsOnDisk) const;
  void GiveTableId();
  void ForgetTags(bool sole);
  void ResolveAutoInc();
  void WriteBatchNow();
  [[noreturn]] void DamagedAt(std::uint64_t recno, const std::string& why) const;
  void KeepBeforeWrite(std::uint64_t recno, bool whole);

  TablePaths paths_;
  kv::fs::File data_;
  kv::fs::FileHead head_;  // the header's first bytes as the file holds them now (CountersUnchanged)
  bool headTried_ = false;
  struct SeenCounters {    // the counter block as CountersUnchanged last found it matching
    bool valid = false;
    std::uint8_t block[TableHeader::kCountersSize];
    TableCounters as;
  } seen_;
  bool writable_ = false;
  TableHeader header_;
  std::pair<std::uint64_t, std::uint64_t> identity_{};
  std::optional<MemoFile> memo_;
  std::optional<Cipher> cipher_;
  std::optional<index::IndexFile> index_;
  bool indexChecked_ = false;
  bool indexMarkedDirty_ = false;
  bool forceRebuild_ = false;
  bool autoIncUnknown_ = false;
  bool countersPending_ = false;  // changed counters not yet written (exclusive use, see EndChange)
  bool wrote_ = false;            // a change or a counter write went through these files (CloseClean syncs)
  std::vector<KeyDefinition> keys_;
  std::vector<index::TagId> tagIds_;

  struct SlotWindow {
    std::uint64_t first = 0, count = 0;  // count 0: empty
    std::uint64_t change = 0;             // the change counter the bytes belong to
    std::uint32_t slotSize = 0;
    std::vector<std::uint8_t> bytes;
  };
  SlotWindow window_;
  std::vector<std::uint8_t> slotScratch_;  // one slot being read or written
  std::vector<std::uint8_t> skipScratch_;  // the payload of a deleted slot being checked
  bool batching_ = false;
  AppendBatch batch_;                      // appended slots not yet in the file (BatchAppends)
  std::uint64_t writebackFrom_ = ~0ULL;    // where batches written since the last StartWriteback begin
  std::vector<std::uint8_t> blank_;        // BlankPayload, empty until first asked for
  std::unique_ptr<Journal> journal_;       // of the statement under way (KeepRecords), else none
  bool journalLeft_ = false;               // a failed statement's journal waits to be rolled back
};

// Finishes or rolls back a whole-table rewrite that a crash interrupted: with the commit marker present the new
// files are complete and are moved in; without it the new files are removed. Call with sole use of the table.
// Also the last step of every rewrite: the moves are made durable together, and only then is the marker removed.
void RecoverRewrite(const TablePaths& paths);

}  // namespace ace::storage
