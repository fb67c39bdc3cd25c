// storage::Table's navigation: positions in natural or tag order, scopes, filters, seeks and counts.
#include "ace/storage/table.h"

#include <algorithm>
#include <cstring>

#include "ace/core/error.h"
#include "ace/storage/record_codec.h"
#include "ace/storage/table_files.h"
#include "ace/storage/table_scopes.h"

namespace ace::storage {

// --- navigation -------------------------------------------------------------------------------------------

void Table::Position(std::uint64_t recno) {
  recno_ = recno;
  record_.loaded.valid = false;
  record_.preloaded = false;
  eof_ = bof_ = false;
  positionUnknown_ = false;
}

bool Table::InScope(std::span<const std::uint8_t> key) const {
  if (!scopeTop_.empty() && std::memcmp(key.data(), scopeTop_.data(), scopeTop_.size()) < 0) return false;
  if (!scopeBottom_.empty() && std::memcmp(key.data(), scopeBottom_.data(), scopeBottom_.size()) > 0) return false;
  return true;
}

void Table::PositionFromCursor() {
  auto& c = cursor_->cursor;
  cursor_->change = files_->Header().counters.change;
  tally_.Stop();
  if (c.Valid() && InScope(c.Key())) {
    Position(c.Recno());
    PreloadCurrent();
    // A delete takes the record's entries out of every tag: an entry for a record that is not live means the
    // status byte or the index was damaged, and the walk would give a row the table does not count.
    if (!record_.preloaded && (recno_ > files_->Header().counters.slots || files_->ReadStatus(recno_) != TableHeader::kLive))
      Fail(code::kCorruptFile, "table " + Name() + " is damaged: its index lists record " + std::to_string(recno_) +
                                   ", which is not a live record of the table file");
  } else {
    recno_ = 0;
    record_.loaded.valid = false;
  }
}

void Table::ScanNatural(std::uint64_t from, int direction) {
  const TableCounters& counters = files_->Header().counters;
  const std::uint64_t slots = counters.slots;
  if (direction > 0) tally_.Scan(from, counters.change);
  else tally_.Stop();
  for (std::uint64_t r = from; r >= 1 && r <= slots; direction > 0 ? ++r : --r) {
    const std::uint8_t* slot = files_->WindowSlot(r, direction);
    if (slot[0] == TableHeader::kLive) {
      tally_.Found(r);
      Position(r);
      Preload(slot);
      return;
    }
    if (slot[0] != TableHeader::kDeleted) StatusDamaged(r);
    files_->CheckSkipped(r, slot);
  }
  if (direction > 0 && tally_.EndDisagrees(counters.live, counters.change))
    Fail(code::kCorruptFile, "table file " + Path().string() + " is damaged: " + std::to_string(tally_.Seen()) +
                                 " of its records are live where its header counts " + std::to_string(counters.live));
  recno_ = 0;
  record_.loaded.valid = false;
  if (direction > 0) eof_ = true;
  else bof_ = true;
}

void Table::StatusDamaged(std::uint64_t recno) const {
  Fail(code::kCorruptFile, "table file " + Path().string() + " is damaged at record " + std::to_string(recno) +
                               ": its status byte is neither live nor deleted");
}

// Navigation reads the record it lands on while it holds the read lock anyway, so reading fields afterwards
// needs no lock and no read of its own. A record that does not decode is left for LoadCurrent to report.
void Table::Preload(const std::uint8_t* slot) {
  if (files_->Header().encrypted && password_.empty()) return;
  try {
    if (!files_->DecodeSlot(recno_, slot, record_.loaded.payload)) return;
  } catch (const AceError&) {
    return;
  }
  MarkPreloaded();
}

void Table::PreloadCurrent() {
  if (recno_ == 0 || (files_->Header().encrypted && password_.empty())) return;
  try {
    if (!files_->ReadPayload(recno_, record_.loaded.payload)) return;
  } catch (const AceError&) {
    return;
  } catch (const kv::fs::FsError&) {
    return;
  }
  MarkPreloaded();
}

void Table::MarkPreloaded() {
  RecordImage& r = record_.loaded;
  r.valid = r.live = true;
  r.recno = recno_;
  r.change = files_->Header().counters.change;
  record_.preloaded = true;
}

void Table::GotoTop() { GotoEnd(+1); }

void Table::GotoBottom() { GotoEnd(-1); }

// The first record in the direction (+1: the top, -1: the bottom) that passes the filter.
void Table::GotoEnd(int direction) {
  GotoEndRaw(direction);
  SettleOnFilter(direction);
  if (recno_ == 0 && !positionUnknown_) eof_ = bof_ = true;
}

void Table::GotoEndRaw(int direction) {
  FlushPending();
  ReadScope read(*this);
  eof_ = bof_ = false;
  if (order_ < 0) {
    ScanNatural(direction > 0 ? 1 : files_->Header().counters.slots, direction);
    if (eof_ || bof_) eof_ = bof_ = true;
    return;
  }
  if (!files_->IndexAvailable()) {
    positionUnknown_ = true;
    recno_ = 0;
    return;
  }
  CursorToEnd(direction);
  PositionFromCursor();
  if (recno_ == 0) eof_ = bof_ = true;
}

void Table::CursorToEnd(int direction) {
  auto& c = cursor_->cursor;
  if (direction > 0) {
    if (scopeTop_.empty()) c.First();
    else c.SeekGE(scopeTop_);
  } else {
    if (scopeBottom_.empty()) c.Last();
    else c.SeekLE(scopeBottom_);
  }
}

void Table::Skip(std::int64_t count) {
  FlushPending();
  if (positionUnknown_) RequireData();
  if (count == 0) {
    record_.loaded.valid = false;
    return;
  }
  const int direction = count > 0 ? 1 : -1;
  std::uint64_t steps = static_cast<std::uint64_t>(count > 0 ? count : -count);
  while (steps-- > 0) {
    MoveRaw(direction);
    SettleOnFilter(direction);
    if (recno_ == 0) return;
  }
}

// One step in record order within the slot window, for a handle that is not exclusive: one read of the
// counters in place of taking the read lock, refreshing the counters and letting the lock go again (three
// system calls a step). False when the step needs the file: the caller then takes the usual way.
bool Table::StepInWindow(int direction) {
  if (Unlocked() || order_ >= 0 || recno_ == 0) return false;
  if (files_->CachedSlot(recno_ + (direction > 0 ? 1 : -1)) == nullptr) return false;
  try {
    if (!files_->CountersUnchanged()) return false;
  } catch (const kv::fs::FsError&) {
    return false;
  }
  for (std::uint64_t r = direction > 0 ? recno_ + 1 : recno_ - 1; r >= 1; direction > 0 ? ++r : --r) {
    const std::uint8_t* slot = files_->CachedSlot(r);
    if (slot == nullptr) return false;
    if (slot[0] != TableHeader::kLive && slot[0] != TableHeader::kDeleted) StatusDamaged(r);
    if (slot[0] == TableHeader::kLive) {
      if (direction > 0) tally_.Step(recno_, r, files_->Header().counters.change);
      else tally_.Stop();
      eof_ = bof_ = false;
      Position(r);
      Preload(slot);
      return true;
    }
    files_->CheckSkipped(r, slot);
  }
  return false;
}

// One step in the current order, filter not considered.
void Table::MoveRaw(int direction) {
  if (StepInWindow(direction)) return;
  ReadScope read(*this);
  if (order_ < 0) {
    std::uint64_t r = recno_;
    if (r == 0) {
      if (eof_ && direction < 0) r = files_->Header().counters.slots + 1;
      else if (bof_ && direction > 0) r = 0;
      else return;
    }
    eof_ = bof_ = false;
    ScanNatural(direction > 0 ? r + 1 : r - 1, direction);
    return;
  }
  auto& c = cursor_->cursor;
  bool step = true;  // false once placing the cursor has made the step already
  if (recno_ == 0) {
    if (!(eof_ && direction < 0) && !(bof_ && direction > 0)) return;
    CursorToEnd(direction);  // from past the end, the step lands on the end's first entry
    step = false;
  } else if (cursor_->change != files_->Header().counters.change || !c.Valid() || c.Recno() != recno_) {
    // The tree changed since the cursor was placed: find the current record's entry again.
    std::vector<std::uint8_t> payload;
    const bool live = files_->ReadPayload(recno_, payload);
    if (!live && record_.loaded.valid) payload = record_.loaded.payload;
    if (payload.empty()) payload = record_.loaded.payload;
    const auto key = files_->KeyOf(order_, payload);
    const bool found = c.SeekEntry(key, recno_) && c.Recno() == recno_;
    if (!found) {
      // The record left the tag (deleted): the cursor stands on its successor already.
      if (direction > 0) {
        step = false;
      } else if (!c.Valid()) {
        c.Last();
        step = false;
      }
    }
  }
  eof_ = bof_ = false;
  if (step && c.Valid()) {
    if (direction > 0) c.Next();
    else c.Prev();
  }
  PositionFromCursor();
  if (recno_ == 0) {
    if (direction > 0) eof_ = true;
    else bof_ = true;
  }
}

void Table::GotoRecord(std::uint64_t recno) {
  FlushPending();
  ReadScope read(*this);
  if (recno == 0 || recno > files_->Header().counters.slots) {
    recno_ = 0;
    record_.loaded.valid = false;
    eof_ = true;
    bof_ = false;
    return;
  }
  Position(recno);
  PreloadCurrent();
  cursor_->change = ~0ULL;
}

bool Table::Seek(std::span<const Value> values, SeekMode mode) {
  FlushPending();
  RequireData();
  if (order_ < 0) Fail(code::kIndexNotFound, "table " + Name() + " has no current index order to seek in");
  ReadScope read(*this);
  const KeyDefinition& key = files_->Keys().at(order_);
  if (values.size() > key.parts.size())
    Fail(code::kInvalidArgument, "more seek values than fields in the key of index tag " + files_->Header().tags[order_].name);
  const auto prefix = EncodeSeekPrefix(key, files_->Header(), values);
  auto& c = cursor_->cursor;
  c.SeekGE(prefix);
  PositionFromCursor();
  if (filter_ && recno_ != 0 && !PassesFilter()) {
    eof_ = bof_ = false;
    SettleOnFilter(+1);
  }
  const bool exact = recno_ != 0 && c.Valid() && std::memcmp(c.Key().data(), prefix.data(), prefix.size()) == 0;
  if (!exact && mode == SeekMode::kExact) recno_ = 0;
  eof_ = recno_ == 0;
  bof_ = false;
  return exact;
}

void Table::SetScope(std::vector<Value> top, std::vector<Value> bottom) {
  FlushPending();
  RequireData();
  if (order_ < 0) Fail(code::kIndexNotFound, "table " + Name() + " has no current index order for a scope");
  const KeyDefinition& key = files_->Keys().at(order_);
  scopeTop_ = top.empty() ? std::vector<std::uint8_t>{} : EncodeSeekPrefix(key, files_->Header(), top);
  scopeBottom_ = bottom.empty() ? std::vector<std::uint8_t>{} : EncodeSeekPrefix(key, files_->Header(), bottom);
}

void Table::ClearScope() {
  scopeTop_.clear();
  scopeBottom_.clear();
}

void Table::SetFilter(std::function<bool()> filter) {
  FlushPending();
  filter_ = std::move(filter);
}

bool Table::PassesFilter() {
  if (!filter_ || inFilter_) return true;
  inFilter_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inFilter_};
  return filter_();
}

// Moves on in the direction until the current record passes the filter (or the end is reached).
void Table::SettleOnFilter(int direction) {
  if (!filter_) return;
  while (recno_ != 0 && !PassesFilter()) MoveRaw(direction);
}

std::uint64_t Table::FilteredCount() {
  if (!filter_) return RecordCount();
  const std::uint64_t keepRecno = recno_;
  const bool keepEof = eof_, keepBof = bof_;
  std::uint64_t n = 0;
  for (GotoTop(); recno_ != 0; Skip(1)) ++n;
  if (keepRecno != 0) GotoRecord(keepRecno);
  eof_ = keepEof;
  bof_ = keepBof;
  return n;
}

std::uint64_t Table::RecordCount() {
  ReadScope read(*this);
  return files_->Header().counters.live;
}

}  // namespace ace::storage
