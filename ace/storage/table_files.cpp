#include "ace/storage/table_files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>

#include "ace/core/error.h"
#include "ace/core/bytes.h"
#include "ace/core/checksum.h"
#include "ace/storage/journal.h"
#include "ace/storage/record_codec.h"
#include "ace/storage/slot_seal.h"
#include "ace/storage/tag_builder.h"
#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace ace::storage {

namespace {

std::recursive_mutex g_registryMutex;  // a failed open destroys its files while the registry is held
std::map<std::pair<std::uint64_t, std::uint64_t>, std::weak_ptr<TableFiles>> g_registry;

// The table's memo or index file as it is spelled on disk ("Employee.adi" beside "EMPLOYEE.ADT"), or with the
// given extension when there is none yet.
stdfs::path Sibling(const stdfs::path& adt, const char* extension) {
  const stdfs::path wanted = stdfs::path(adt).replace_extension(extension);
  const auto found = kv::fs::FindEntryIgnoringCase(adt.parent_path(), wanted.filename().string());
  return found ? adt.parent_path() / *found : wanted;
}

// Renames a finished new file over its table file; the caller syncs the folder once for the whole group.
void MoveInto(const stdfs::path& source, const stdfs::path& target) {
  std::error_code ec;
  stdfs::rename(source, target, ec);
  if (ec) throw kv::fs::FsError("cannot replace " + target.string() + " by " + source.string() + ": " + ec.message());
}

// True only when the table file at adt reads and has no memo fields; a file that does not read keeps every
// file where it is (its open reports the damage).
bool NewTableHasNoMemo(const stdfs::path& adt) {
  try {
    kv::fs::File file = kv::fs::File::Open(adt, kv::fs::File::Mode::ReadOnly);
    std::uint8_t fixed[TableHeader::kFixedSize];
    if (file.ReadAt(0, fixed, sizeof fixed) != sizeof fixed) return false;
    const std::uint32_t size = TableHeader::PeekHeaderSize(fixed);
    if (size < TableHeader::kFixedSize || size > (64u << 20)) return false;
    std::vector<std::uint8_t> bytes(size);
    if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) return false;
    bool countersValid = false;
    return !TableHeader::Decode(bytes, adt, countersValid).HasMemo();
  } catch (const AceError&) {
    return false;
  } catch (const kv::fs::FsError&) {
    return false;
  }
}

}  // namespace

TablePaths TablePaths::For(const stdfs::path& adt) { return {adt, Sibling(adt, ".ADM"), Sibling(adt, ".ADI")}; }

void RecoverRewrite(const TablePaths& paths) {
  const stdfs::path marker = paths.Marker();
  index::IndexFile::RemoveLeftoverSortRuns(paths.adi);  // of the new index file, when its build was killed
  const stdfs::path files[] = {paths.adm, paths.adi, paths.adt};
  if (kv::fs::HostFileExists(marker)) {
    // The new files were complete when the marker was written: move the ones still waiting into place.
    std::vector<std::uint8_t> text(4096);
    {
      kv::fs::File m = kv::fs::File::Open(marker, kv::fs::File::Mode::ReadOnly);
      text.resize(m.ReadAt(0, text.data(), text.size()));
    }
    bool dropMemo = std::string(text.begin(), text.end()).find("drop-memo") != std::string::npos;
    for (const stdfs::path& f : files)
      if (kv::fs::HostFileExists(paths.Temp(f))) MoveInto(paths.Temp(f), f);
    // The table file in place is the new one now (it was durable before the marker was written), and it says
    // itself whether the table keeps a memo file: the marker's text need not have reached the disk.
    dropMemo = dropMemo || NewTableHasNoMemo(paths.adt);
    if (dropMemo) kv::fs::RemoveHostFile(paths.adm);
    // One folder sync for the whole group of moves. It must come before the marker goes: a crash must never
    // find the marker gone while a move is still lost, which would leave the old file beside new ones.
    kv::fs::SyncFolder(paths.adt.parent_path());
    kv::fs::RemoveHostFile(marker);
    // The removal is made durable before anything else can happen to the table: a marker that came back after
    // a crash would roll the next rewrite's unfinished files forward.
    kv::fs::SyncFolder(paths.adt.parent_path());
    return;
  }
  for (const stdfs::path& f : files) kv::fs::RemoveHostFile(paths.Temp(f));
}

TableFiles::TableFiles(const stdfs::path& path) : paths_(TablePaths::For(path)) {}

TableFiles::~TableFiles() {
  std::lock_guard lock(g_registryMutex);
  auto it = g_registry.find(identity_);
  if (it != g_registry.end() && it->second.expired()) g_registry.erase(it);
}

std::shared_ptr<TableFiles> TableFiles::Acquire(const stdfs::path& path, const kv::fs::File& lockFile, bool sole) {
  const auto identity = lockFile.Identity();
  std::lock_guard lock(g_registryMutex);
  if (auto it = g_registry.find(identity); it != g_registry.end())
    if (auto existing = it->second.lock()) return existing;
  std::shared_ptr<TableFiles> files(new TableFiles(path));
  files->identity_ = identity;
  files->OpenFiles(sole);
  g_registry[identity] = files;
  return files;
}

void TableFiles::OpenFiles(bool sole) {
  try {
    data_ = kv::fs::File::Open(paths_.adt, kv::fs::File::Mode::ReadWrite);
    writable_ = true;
  } catch (const kv::fs::FsError&) {
    try {
      data_ = kv::fs::File::Open(paths_.adt, kv::fs::File::Mode::ReadOnly);
    } catch (const kv::fs::FsError& e) {
      Fail(code::kFileNotFound, e.what());
    }
  }
  identity_ = data_.Identity();
  std::uint8_t fixed[TableHeader::kFixedSize];
  if (data_.ReadAt(0, fixed, sizeof fixed) != sizeof fixed)
    Fail(code::kCorruptFile, "table file " + paths_.adt.string() + " is damaged: it is shorter than its header");
  const std::uint32_t headerSize = TableHeader::PeekHeaderSize(fixed);
  if (headerSize < TableHeader::kFixedSize || headerSize > (64u << 20))
    Fail(code::kCorruptFile, "table file " + paths_.adt.string() + " is damaged: it is not a table file of this engine");
  std::vector<std::uint8_t> bytes(headerSize);
  if (data_.ReadAt(0, bytes.data(), bytes.size()) != bytes.size())
    Fail(code::kCorruptFile, "table file " + paths_.adt.string() + " is damaged: its header is truncated");
  bool countersValid = false;
  header_ = TableHeader::Decode(bytes, paths_.adt, countersValid);
  head_ = kv::fs::FileHead();  // mapped by the first CountersUnchanged: an exclusive handle never asks
  headTried_ = false;
  const std::uint64_t size = data_.Size();
  const std::uint64_t slotsOnDisk = (size - std::min<std::uint64_t>(size, header_.headerSize)) / header_.SlotSize();
  if (countersValid && header_.counters.slots > slotsOnDisk) FileCut(slotsOnDisk);
  const bool consistent = countersValid && !header_.counters.busy && header_.counters.slots == slotsOnDisk;
  if (!consistent) {
    if (!sole)
      Fail(code::kCorruptFile, "table " + paths_.adt.string() +
                                   " was left in the middle of a change; it is repaired when it is next opened "
                                   "by one user alone");
    // A statement's journal puts the table back as it was before the statement; without one, what is there
    // is counted.
    if (!writable_ && kv::fs::HostFileExists(Journal::PathFor(paths_.adt)))
      Fail(code::kCorruptFile, "table " + paths_.adt.string() +
                                   " was left in the middle of a statement and cannot be written to roll it back");
    const auto restored = writable_ ? Journal::RollBack(paths_.adt, paths_.adm, data_) : std::nullopt;
    if (restored) {
      header_.counters = restored->counters;
      forceRebuild_ = true;
    } else {
      Repair();
    }
  } else if (sole && writable_) {
    Journal::Discard(paths_.adt);
  }
  if (!header_.tags.empty() && !kv::fs::HostFileExists(paths_.adi)) ForgetTags(sole);
  if (header_.tableId == 0 && sole && writable_) GiveTableId();
  memo_.reset();
  index_.reset();
  indexChecked_ = false;
  window_.count = 0;
  countersPending_ = false;
  blank_.clear();
  ReloadKeys();
}

void TableFiles::FileCut(std::uint64_t slotsOnDisk) const {
  // A change writes a slot before the counters that count it, so no crash leaves the counters counting more
  // slots than the file holds: the file lost its end afterwards (a copy cut short, a full disk). Recounting
  // would drop the records past the cut without a word; the file is left as it is for its owner to restore.
  Fail(code::kCorruptFile, "table file " + paths_.adt.string() + " is damaged: it is cut short; its header counts " +
                               std::to_string(header_.counters.slots) + " records, the file holds " +
                               std::to_string(slotsOnDisk) + " whole ones");
}

void TableFiles::GiveTableId() {
  // A table made before tables had an id gets one now, while no one else has it open; its index file, which
  // names no table, is then rebuilt for it (EnsureIndex). Not synced: should the id be lost, the next such open
  // draws another one and rebuilds again.
  header_.tableId = TableHeader::NewTableId();
  std::uint8_t bytes[8];
  PutU64(bytes, header_.tableId);
  data_.WriteAt(table_format::header::kTableId, bytes, sizeof bytes);
  wrote_ = true;
}

void TableFiles::Repair() {
  // A crash in the middle of a change: count what is really there, and rebuild the indexes from the records.
  const std::uint64_t size = data_.Size();
  const std::uint64_t slots = (size - std::min<std::uint64_t>(size, header_.headerSize)) / header_.SlotSize();
  window_.count = 0;
  if (writable_) data_.Truncate(header_.headerSize + slots * header_.SlotSize());  // a torn last record goes
  std::uint64_t live = 0;
  for (std::uint64_t r = 1; r <= slots; ++r)
    if (ReadStatus(r) == TableHeader::kLive) ++live;
  header_.counters.slots = slots;
  header_.counters.live = live;
  header_.counters.busy = false;
  autoIncUnknown_ = true;
  forceRebuild_ = true;
  ResolveAutoInc();
  if (writable_) WriteCounters();
}

void TableFiles::ResolveAutoInc() {
  if (!autoIncUnknown_) return;
  int field = -1;
  for (std::size_t i = 0; i < header_.fields.size(); ++i)
    if (header_.fields[i].type == FieldType::AutoInc) field = static_cast<int>(i);
  if (field < 0) {
    autoIncUnknown_ = false;
    return;
  }
  if (header_.encrypted && !cipher_) return;  // resolved once the key is known
  std::uint64_t next = header_.counters.nextAutoInc;
  std::vector<std::uint8_t> payload;
  for (std::uint64_t r = 1; r <= header_.counters.slots; ++r) {
    if (!ReadPayload(r, payload)) continue;
    const Value v = ReadScalar(header_.fields[field], payload.data());
    if (!v.IsNull()) next = std::max<std::uint64_t>(next, static_cast<std::uint64_t>(v.AsInteger()) + 1);
  }
  header_.counters.nextAutoInc = next;
  autoIncUnknown_ = false;
  if (writable_) WriteCounters();
}

MemoFile& TableFiles::Memo() {
  if (!memo_) {
    if (header_.memoGeneration == 0) Fail(code::kInternal, "table " + paths_.adt.string() + " has no memo file");
    memo_ = MemoFile::Open(paths_.adm, header_.memoGeneration, writable_);
    memo_->SetCipher(DataCipher());
  }
  return *memo_;
}

void TableFiles::SetCipher(const Cipher& cipher) {
  cipher_ = cipher;
  if (memo_) memo_->SetCipher(DataCipher());
  ResolveAutoInc();
}

void TableFiles::RefreshCounters() {
  std::uint8_t block[TableHeader::kCountersSize];
  data_.ReadExactAt(TableHeader::kCountersOffset, block, sizeof block);
  TableCounters counters;
  if (!TableHeader::DecodeCounters(block, counters))
    Fail(code::kCorruptFile, "table file " + paths_.adt.string() + " is damaged: its counters do not read");
  if (counters.change != header_.counters.change && index_) index_->InvalidateCache();
  header_.counters = counters;
}

void TableFiles::RefuseChangeLeftUnfinished() const {
  if (header_.counters.busy)
    Fail(code::kCorruptFile, "table " + paths_.adt.string() +
                                 " was left in the middle of a change; it is repaired when it is next opened by one "
                                 "user alone");
}

void TableFiles::WriteCounters() {
  if (!writable_) Fail(code::kReadOnly, "table " + paths_.adt.string() + " cannot be written");
  WriteBatch();  // the counters on disk never count a slot the file does not hold yet
  wrote_ = true;
  const auto block = header_.EncodeCounters();
  data_.WriteAt(TableHeader::kCountersOffset, block.data(), block.size());
}

void TableFiles::BeginChange(bool writeThrough) {
  if (!writable_) Fail(code::kReadOnly, "table " + paths_.adt.string() + " is read-only");
  wrote_ = true;
  if (header_.counters.busy && writeThrough)
    Fail(code::kCorruptFile, "table " + paths_.adt.string() +
                                 " was left in the middle of a change; it is repaired when it is next opened by one "
                                 "user alone");
  if (!header_.counters.busy) {
    header_.counters.busy = true;
    WriteCounters();
  }
  if (index_ && !indexMarkedDirty_) {
    index_->MarkDirty();
    indexMarkedDirty_ = true;
  }
}

void TableFiles::EndChange(bool writeThrough) {
  ++header_.counters.change;
  if (!writeThrough) {
    // Sole (exclusive) use: the counters on disk say "busy" from the first change until the close writes the
    // final ones, and no one else reads them meanwhile, so writing them after every record buys nothing. A
    // crash leaves them busy, and the next open recounts from the records as it always did.
    countersPending_ = true;
    return;
  }
  header_.counters.busy = false;
  WriteCounters();
  countersPending_ = false;
  if (index_) index_->Flush();
}

void TableFiles::FinishChanges() {
  if (!countersPending_) return;
  header_.counters.busy = false;
  WriteCounters();
  countersPending_ = false;
  if (index_) index_->Flush();
}

std::uint8_t TableFiles::ReadStatus(std::uint64_t recno) {
  WriteBatch();
  std::uint8_t status = 0;
  data_.ReadExactAt(header_.SlotOffset(recno), &status, 1);
  return status;
}

bool TableFiles::DecodeSlot(std::uint64_t recno, const std::uint8_t* slot, std::vector<std::uint8_t>& payload) const {
  const bool live = slot[0] == TableHeader::kLive;
  if (!live && slot[0] != TableHeader::kDeleted) DamagedAt(recno, "");
  if (!header_.encrypted) {
    if (!live) return false;
    payload.resize(header_.payloadSize);
    std::memcpy(payload.data(), slot + 1, header_.payloadSize);
    return true;
  }
  // A deleted slot of a status-bound table is opened too, when the key is there: a live record hidden by its
  // status byte shows up as damage instead of vanishing.
  if (!live && !(header_.statusBound && cipher_)) return false;
  if (!cipher_) Fail(code::kPasswordRequired, "table " + paths_.adt.stem().string() + " is encrypted: give its password first");
  payload.resize(header_.payloadSize);
  if (!OpenSlot(*cipher_, header_.statusBound, recno, slot, header_.payloadSize, payload.data()))
    DamagedAt(recno, live ? ": it does not decrypt" : ": it does not decrypt as a deleted record");
  return live;
}

void TableFiles::CheckSkipped(std::uint64_t recno, const std::uint8_t* slot) {
  if (!header_.encrypted || !header_.statusBound || !cipher_) return;
  skipScratch_.resize(header_.payloadSize);
  DecodeSlot(recno, slot, skipScratch_);
}

void TableFiles::DamagedAt(std::uint64_t recno, const std::string& why) const {
  Fail(code::kCorruptFile, "table file " + paths_.adt.string() + " is damaged at record " + std::to_string(recno) + why);
}

bool TableFiles::ReadPayload(std::uint64_t recno, std::vector<std::uint8_t>& payload) {
  WriteBatch();
  const SlotWindow& w = window_;
  if (w.count != 0 && w.change == header_.counters.change && w.slotSize == header_.SlotSize() && recno >= w.first &&
      recno < w.first + w.count)
    return DecodeSlot(recno, w.bytes.data() + (recno - w.first) * w.slotSize, payload);
  slotScratch_.resize(header_.SlotSize());
  data_.ReadExactAt(header_.SlotOffset(recno), slotScratch_.data(), slotScratch_.size());
  return DecodeSlot(recno, slotScratch_.data(), payload);
}

const std::uint8_t* TableFiles::CachedSlot(std::uint64_t recno) const {
  const SlotWindow& w = window_;
  if (w.count == 0 || w.change != header_.counters.change || w.slotSize != header_.SlotSize() || recno < w.first ||
      recno >= w.first + w.count || recno > header_.counters.slots)
    return nullptr;
  return w.bytes.data() + (recno - w.first) * w.slotSize;
}

bool TableFiles::CountersUnchanged() {
  std::uint8_t block[TableHeader::kCountersSize];
  // The view shows the same cached pages that reads of the file give, without the system call a read costs: a
  // scan in record order looks here before every step.
  if (!headTried_) {
    headTried_ = true;
    try {
      head_ = data_.MapHead(TableHeader::kCountersOffset + TableHeader::kCountersSize);
    } catch (const kv::fs::FsError&) {
      // No view: the file is read instead.
    }
  }
  if (head_.IsMapped()) head_.Read(TableHeader::kCountersOffset, block, sizeof block);
  else if (data_.ReadAt(TableHeader::kCountersOffset, block, sizeof block) != sizeof block) return false;
  const TableCounters& mine = header_.counters;
  const auto same = [](const TableCounters& a, const TableCounters& b) {
    return a.busy == b.busy && a.change == b.change && a.slots == b.slots && a.live == b.live &&
           a.nextAutoInc == b.nextAutoInc;
  };
  // The very bytes that matched last time, while this process's counters are still the ones they matched, need
  // no checksum: they are that whole block again.
  if (seen_.valid && std::memcmp(block, seen_.block, sizeof block) == 0 && same(seen_.as, mine)) return true;
  TableCounters c;
  if (!TableHeader::DecodeCounters(block, c)) return false;
  if (c.busy || !same(c, mine)) return false;
  std::memcpy(seen_.block, block, sizeof block);
  seen_.as = c;
  seen_.valid = true;
  return true;
}

const std::uint8_t* TableFiles::WindowSlot(std::uint64_t recno, int direction) {
  constexpr std::uint64_t kWindowBytes = 256 * 1024;
  const std::uint32_t size = header_.SlotSize();
  SlotWindow& w = window_;
  if (w.count == 0 || w.change != header_.counters.change || w.slotSize != size || recno < w.first ||
      recno >= w.first + w.count) {
    WriteBatch();
    const std::uint64_t span = std::max<std::uint64_t>(16, kWindowBytes / size);
    const std::uint64_t first = direction >= 0 ? recno : (recno > span ? recno - span + 1 : 1);
    const std::uint64_t last = std::min(header_.counters.slots, first + span - 1);
    w.count = 0;
    if (recno < first || recno > last) Fail(code::kInternal, "record " + std::to_string(recno) + " is past the table's end");
    w.bytes.resize((last - first + 1) * size);
    data_.ReadExactAt(header_.SlotOffset(first), w.bytes.data(), w.bytes.size());
    w.first = first;
    w.count = last - first + 1;
    w.change = header_.counters.change;
    w.slotSize = size;
  }
  return w.bytes.data() + (recno - w.first) * size;
}

std::uint64_t TableFiles::ReadSlots(std::uint64_t recno, std::uint64_t count, std::vector<std::uint8_t>& buffer) {
  WriteBatch();
  const std::uint64_t last = std::min(header_.counters.slots, recno + count - 1);
  if (recno > last) return 0;
  const std::uint64_t n = last - recno + 1;
  buffer.resize(n * header_.SlotSize());
  data_.ReadExactAt(header_.SlotOffset(recno), buffer.data(), buffer.size());
  return n;
}

void TableFiles::WritePayload(std::uint64_t recno, const std::vector<std::uint8_t>& payload, std::uint8_t status) {
  if (journal_ && !journal_->Keeps(recno, true)) KeepBeforeWrite(recno, true);
  window_.count = 0;
  std::vector<std::uint8_t>& slot = slotScratch_;
  slot.resize(header_.SlotSize());
  slot[0] = status;
  if (header_.encrypted) {
    if (!cipher_) Fail(code::kPasswordRequired, "table " + paths_.adt.stem().string() + " is encrypted: give its password first");
    SealSlot(*cipher_, header_.statusBound, recno, status, payload.data(), payload.size(), slot.data() + 1);
  } else {
    std::memcpy(slot.data() + 1, payload.data(), payload.size());
  }
  if (batching_ && recno == header_.counters.slots + 1) {
    // A full batch is written before this record joins the next one: when that write fails, this record is not
    // added and the caller hears of it.
    if (batch_.Full() || !batch_.Takes(recno)) WriteBatch();
    std::memcpy(batch_.Add(recno, slot.size()), slot.data(), slot.size());
    return;
  }
  WriteBatch();
  data_.WriteAt(header_.SlotOffset(recno), slot.data(), slot.size());
}

void TableFiles::WriteDeleted(std::uint64_t recno, const std::vector<std::uint8_t>& payload) {
  // A status-bound seal covers the status byte: the slot is sealed again, in one write with its new status.
  if (header_.encrypted && header_.statusBound) return WritePayload(recno, payload, TableHeader::kDeleted);
  if (journal_ && !journal_->Keeps(recno, false)) KeepBeforeWrite(recno, false);
  window_.count = 0;
  WriteBatch();
  data_.WriteAt(header_.SlotOffset(recno), &TableHeader::kDeleted, 1);
}

void TableFiles::WriteBatchNow() {
  // One write for the whole run of slots. A write that fails part way is simply made again in full next time.
  const std::vector<std::uint8_t>& bytes = batch_.Bytes();
  try {
    data_.WriteAt(header_.SlotOffset(batch_.First()), bytes.data(), bytes.size());
  } catch (const kv::fs::FsError& e) {
    Fail(code::kIoError, "records " + std::to_string(batch_.First()) + " to " + std::to_string(batch_.Last()) +
                             " of table " + paths_.adt.stem().string() + " could not be written to its file (" +
                             e.what() + ")");
  }
  wrote_ = true;
  // A bulk append makes hundreds of megabytes in a second or two, which the system would only start writing
  // out at the close's sync; started every few megabytes instead, the writing overlaps the appending.
  constexpr std::uint64_t kWritebackBytes = 8u << 20;
  const std::uint64_t end = header_.SlotOffset(batch_.Last() + 1);
  if (writebackFrom_ > end) writebackFrom_ = header_.SlotOffset(batch_.First());
  if (end - writebackFrom_ >= kWritebackBytes) {
    data_.StartWriteback(writebackFrom_, end - writebackFrom_);
    writebackFrom_ = end;
  }
  batch_.Clear();
}

const std::vector<std::uint8_t>& TableFiles::BlankPayload() {
  if (blank_.size() != header_.payloadSize || header_.payloadSize == 0) {
    blank_.assign(header_.payloadSize, 0);
    for (const FieldDescriptor& f : header_.fields) {
      if (!IsMemoLike(f.type)) WriteScalar(f, blank_.data(), Value::Null());
      SetNull(f, blank_.data(), true);
    }
  }
  return blank_;
}

SlotReader TableFiles::Records() {
  return {header_, header_.counters.slots,
          [this](std::uint64_t recno, std::uint64_t count, std::vector<std::uint8_t>& buffer) {
            return ReadSlots(recno, count, buffer);
          },
          [this](std::uint64_t recno, const std::uint8_t* slot, std::vector<std::uint8_t>& payload) {
            return DecodeSlot(recno, slot, payload);
          }};
}

void TableFiles::Reload() {
  WriteBatch();
  index_.reset();
  memo_.reset();
  data_.Close();
  {
    std::lock_guard lock(g_registryMutex);
    g_registry.erase(identity_);
  }
  OpenFiles(true);
  {
    std::lock_guard lock(g_registryMutex);
    g_registry[identity_] = weak_from_this();
  }
  if (cipher_ && header_.encrypted && CheckTableKey(*cipher_, header_.statusBound, header_.check) != KeyVerdict::kRight)
    cipher_.reset();
  if (!header_.encrypted) cipher_.reset();
  if (memo_) memo_->SetCipher(DataCipher());
}

void TableFiles::CloseClean(bool sole, bool sync) {
  if (!writable_) return;
  // Appends still in memory first; when they cannot be written, nothing else is: the counters on disk still say
  // that a change is under way, so the next sole open counts the records the file really holds and rebuilds the
  // index without those that were lost.
  WriteBatch();
  // A statement that failed part way is rolled back now when this process is alone; else it stays marked busy
  // beside its journal for the next sole open.
  if (journalLeft_ && !RollBackLeftStatement(sole)) return;
  if (sole && header_.counters.busy) {
    header_.counters.busy = false;
    WriteCounters();
    countersPending_ = false;
  }
  if (countersPending_) {
    // Not the sole user any more (cannot happen after an exclusive open): the counters still go to disk, busy.
    WriteCounters();
    countersPending_ = false;
  }
  if (index_ && sole && !header_.counters.busy) {
    // An index this process found clean for the table's state, where the counters on disk show no change by
    // anyone since, is still marked clean on disk: writing and syncing that mark again is only a cost (a
    // read-only statement's close).
    bool stillClean = !indexMarkedDirty_ && index_->WasClean() && index_->Stamp() == header_.counters.change;
    if (stillClean) {
      try {
        RefreshCounters();
        stillClean = !header_.counters.busy && index_->Stamp() == header_.counters.change;
      } catch (const AceError&) {
        stillClean = false;
      } catch (const kv::fs::FsError&) {
        stillClean = false;
      }
    }
    if (!stillClean) index_->MarkClean(header_.counters.change);
    indexMarkedDirty_ = false;
  }
  if (sole && sync && wrote_) SyncData();  // nothing to make durable when nothing was written since the last sync
}

void TableFiles::SyncData() {
  WriteBatch();
  data_.Sync();
  wrote_ = false;
}

}  // namespace ace::storage
