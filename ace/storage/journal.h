#pragma once
// The before-images of one statement's changes to a table, kept in NAME.ADT.jrn beside the table file while the
// statement runs, so that a statement is all or nothing also when its process dies in the middle of it.
//
// Before the statement overwrites a record it copies the record as the file holds it into the journal; the
// journal starts with the table file's length, the memo file's length and the counter block as they were
// before the statement. Every copy is made durable before the record it keeps is overwritten. When the
// statement is done its records are made durable, then the journal is removed (durably), and only then do the
// counters say the change is over. The next user who opens the table alone and finds the counters still saying
// "busy" with a journal beside it writes the kept records back, cuts the files to their old lengths and puts
// the old counters back: the table is as it was before the statement (its index is then rebuilt, as after
// every interrupted change). A journal found while the counters say no change is under way is left over from a
// statement that died before its first write, and is removed. docs/formats/adt.md describes the file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "ace/storage/table_header.h"
#include "platform/file.h"

namespace ace::storage {

class Journal {
 public:
  static std::filesystem::path PathFor(const std::filesystem::path& adt) { return adt.string() + ".jrn"; }

  // The table as it is before the statement: header (record layout and counters), the files' lengths.
  // Nothing is written until the first Keep.
  Journal(const std::filesystem::path& adt, const TableHeader& before, std::uint64_t dataSize,
          std::uint64_t memoSize);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Records 1 to this number existed before the statement; those after it go with the file's old length.
  std::uint64_t SlotsBefore() const { return slotsBefore_; }
  // Whether record recno's old bytes are kept: all of them (whole) or at least its status byte.
  bool Keeps(std::uint64_t recno, bool whole) const;
  // Keeps the old bytes of record recno (the whole slot, or only its status byte). Buffered: call MakeDurable
  // before the record is overwritten.
  void Keep(std::uint64_t recno, const std::uint8_t* slot, bool whole);
  // Writes what was kept and syncs it; the first time also the journal's name in its folder.
  void MakeDurable();
  // The statement is complete and its changes are durable: the journal goes, durably.
  void Remove();
  // The statement failed part way and its process goes on: the journal stays for the next open to roll back.
  void Abandon();

  // What a journal found beside a table restored.
  struct Restored {
    TableCounters counters;  // the counters before the statement
  };
  // Rolls back the statement whose journal lies beside the table at adt: writes the kept records back into
  // data, cuts data and the memo file (when there is one at adm) to their old lengths, writes the old counters
  // (no longer busy, the change counter moved on), makes it all durable and removes the journal. nullopt when
  // there is no journal or it holds nothing usable (its statement wrote nothing then); such a journal is
  // removed. Call with sole use of the table; data must be writable.
  static std::optional<Restored> RollBack(const std::filesystem::path& adt, const std::filesystem::path& adm,
                                          kv::fs::File& data);
  // Removes a journal left by a statement that never wrote (the table's counters say no change is under way).
  static void Discard(const std::filesystem::path& adt);

 private:
  void Flush();

  std::filesystem::path path_;
  kv::fs::File file_;
  bool named_ = false;                // the file exists and its name was made durable
  std::uint64_t written_ = 0;         // bytes of the file written
  std::vector<std::uint8_t> pending_; // kept bytes not yet written
  std::uint32_t slotSize_ = 0;
  std::uint64_t headerSize_ = 0;
  std::uint64_t slotsBefore_ = 0;
  std::vector<std::uint8_t> kept_;    // per record: 0 nothing, 1 its status byte, 2 the whole slot
};

}  // namespace ace::storage
