// The journal of a statement as the table's files keep it (journal.h): the records' old bytes before the
// statement overwrites them, and the end of the statement.
#include <algorithm>
#include <system_error>

#include "ace/core/error.h"
#include "ace/storage/journal.h"
#include "ace/storage/table.h"
#include "ace/storage/table_files.h"

namespace stdfs = std::filesystem;

namespace ace::storage {

namespace {

std::uint64_t MemoLength(const TableHeader& header, const stdfs::path& adm) {
  if (header.memoGeneration == 0) return 0;
  std::error_code ec;
  const auto size = stdfs::file_size(adm, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

void TableFiles::KeepRecords(std::span<const std::uint64_t> recnos, bool whole) {
  if (!journal_) {
    WriteBatch();  // the file's length is the old table's whole length
    journal_ = std::make_unique<Journal>(paths_.adt, header_, data_.Size(), MemoLength(header_, paths_.adm));
  }
  // A status-bound seal covers the status byte: a deletion seals the whole slot again.
  whole = whole || (header_.encrypted && header_.statusBound);
  std::vector<std::uint64_t> sorted(recnos.begin(), recnos.end());
  std::sort(sorted.begin(), sorted.end());
  // Read in windows of whole slots: the records of a statement lie spread over the table, mostly close together.
  const std::uint64_t span = std::max<std::uint64_t>(16, (256u << 10) / header_.SlotSize());
  std::vector<std::uint8_t> window;
  std::uint64_t first = 0, count = 0;
  for (const std::uint64_t recno : sorted) {
    if (journal_->Keeps(recno, whole)) continue;
    if (recno < first || recno >= first + count) {
      first = recno;
      count = ReadSlots(recno, span, window);
      if (count == 0) continue;
    }
    journal_->Keep(recno, window.data() + (recno - first) * header_.SlotSize(), whole);
  }
  journal_->MakeDurable();
}

void TableFiles::KeepBeforeWrite(std::uint64_t recno, bool whole) {
  // A record the statement did not name beforehand: kept, and durably, before its write.
  std::vector<std::uint8_t> slot;
  if (ReadSlots(recno, 1, slot) != 1) return;
  journal_->Keep(recno, slot.data(), whole);
  journal_->MakeDurable();
}

void TableFiles::EndJournal(bool complete) {
  if (!journal_) return;
  std::unique_ptr<Journal> journal = std::move(journal_);
  if (!complete && header_.counters.busy) {
    journal->Abandon();
    journalLeft_ = true;
    return;
  }
  // The statement's records and memo values durable first; only then may the journal go. A statement that
  // failed before its first change leaves nothing to roll back.
  SyncData();
  if (memo_) memo_->Sync();
  journal->Remove();
}

bool TableFiles::RollBackLeftStatement(bool sole) {
  if (!journalLeft_ || !sole || !writable_) return false;
  journalLeft_ = false;
  // Everything cached of the statement's writes goes: appends still in memory lie past the old length, and the
  // index pages hold part of its keys.
  batch_.Clear();
  index_.reset();
  memo_.reset();
  window_.count = 0;
  const auto restored = Journal::RollBack(paths_.adt, paths_.adm, data_);
  if (!restored) return false;
  header_.counters = restored->counters;
  countersPending_ = false;
  forceRebuild_ = true;
  indexChecked_ = false;
  EnsureIndex(true);
  return true;
}

void Table::KeepForRollback(std::span<const std::uint64_t> recnos, bool wholeRecords) {
  if (hold_ != HoldMode::kWrite) Fail(code::kInternal, "table " + Name() + " is not held for writing");
  if (recnos.size() < 2) return;
  files_->KeepRecords(recnos, wholeRecords);
}

}  // namespace ace::storage
