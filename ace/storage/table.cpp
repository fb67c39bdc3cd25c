#include "ace/storage/table.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>
#include <exception>

#include "ace/core/error.h"
#include "ace/core/scratch_secret.h"
#include "ace/storage/change_gate.h"
#include "ace/storage/record_codec.h"
#include "ace/storage/slot_seal.h"
#include "ace/storage/table_files.h"
#include "ace/storage/table_scopes.h"
#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace ace::storage {

namespace {

bool TrySole(kv::fs::File& lock, bool exclusive) {
  if (exclusive) return true;
  if (!lock.TryLock(kOpenLockByte, 1, true)) return false;
  lock.TryLock(kOpenLockByte, 1, false);  // back to shared: converting a held lock always succeeds
  return true;
}

std::string StemOf(const stdfs::path& p) { return p.stem().string(); }

// A shared open found the open byte held exclusively. A whole-table rewrite holds it so only for its length,
// and holds the write byte meanwhile: that is waited for (up to the change wait limit). True once the open byte
// is ours.
bool WaitForRewrite(kv::fs::File& lock) {
  const auto deadline = std::chrono::steady_clock::now() + ChangeWaitLimit();
  while (!lock.TryLock(kWriteLockByte, 1, false)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (lock.TryLock(kOpenLockByte, 1, false)) return true;
  }
  lock.Unlock(kWriteLockByte, 1);
  // No change under way: the table is open exclusively for good (or the rewrite just ended).
  return lock.TryLock(kOpenLockByte, 1, false);
}

}  // namespace

Table::Table(std::shared_ptr<TableFiles> files, Options options, kv::fs::File lock)
    : files_(std::move(files)), options_(options), lock_(std::move(lock)), cursor_(std::make_unique<CursorState>()) {}

Table::~Table() {
  try {
    Close();
  } catch (...) {
  }
}

void Table::Close() {
  if (!files_) return;
  std::exception_ptr failure;
  try {
    FlushPending();
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    if (files_.use_count() == 1) files_->CloseClean(TrySole(lock_, options_.exclusive), !options_.scratch);
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  // Closed either way: a second attempt (the destructor's) would find the same fault, and the files of a failed
  // close are left as a crash leaves them, for the next sole open to repair.
  files_.reset();
  lock_.Close();
  if (failure) std::rethrow_exception(failure);
}

std::unique_ptr<Table> Table::Open(const stdfs::path& path, Options options) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (!kv::fs::HostFileExists(path)) Fail(code::kFileNotFound, "table " + path.string() + " does not exist");
    // The lock handle is opened for writing whenever the file allows it, also for a read-only open: shared and
    // exclusive byte locks need a writable descriptor.
    kv::fs::File lock;
    try {
      lock = kv::fs::File::Open(path, kv::fs::File::Mode::ReadWrite);
    } catch (const kv::fs::FsError& e) {
      if (!options.readOnly) Fail(code::kReadOnly, e.what());
      try {
        lock = kv::fs::File::Open(path, kv::fs::File::Mode::ReadOnly);
      } catch (const kv::fs::FsError& again) {
        Fail(code::kFileNotFound, again.what());
      }
    }
    if (!lock.TryLock(kOpenLockByte, 1, options.exclusive) && (options.exclusive || !WaitForRewrite(lock)))
      Fail(code::kTableInUse, options.exclusive ? "table " + StemOf(path) + " cannot be opened exclusively: it is in use"
                                                : "table " + StemOf(path) + " is opened exclusively by another user");
    if (kv::fs::HostFileIdentity(path) != lock.Identity()) continue;  // replaced meanwhile by a rewrite: again
    const bool sole = TrySole(lock, options.exclusive);
    std::optional<ChangeGate> gate;
    if (!options.exclusive) gate.emplace(lock, sole, StemOf(path));
    const TablePaths paths = TablePaths::For(path);
    if (sole && (kv::fs::HostFileExists(paths.Marker()) || kv::fs::HostFileExists(paths.Temp(paths.adt)) ||
                 kv::fs::HostFileExists(paths.Temp(paths.adm)) || kv::fs::HostFileExists(paths.Temp(paths.adi)))) {
      RecoverRewrite(paths);
      continue;
    }
    auto files = TableFiles::Acquire(path, lock, sole);
    files->EnsureIndex(sole);
    // An exclusive open has these files to itself: no other handle shares them while it is open.
    files->BatchAppends(options.exclusive && options.batchAppends && !options.readOnly);
    if (gate) gate->Release();
    std::unique_ptr<Table> table(new Table(std::move(files), options, std::move(lock)));
    if (options.scratch && options.sealed) table->GivePassword(ScratchSecret());
    table->GotoTop();
    return table;
  }
  Fail(code::kTableInUse, "table " + StemOf(path) + " keeps being replaced by another user");
}

std::unique_ptr<Table> Table::Create(const stdfs::path& path, const std::vector<FieldSpec>& fields,
                                     std::uint8_t charType, Options options) {
  if (kv::fs::HostFileExists(path)) Fail(code::kFileExists, "table " + path.string() + " already exists");
  TableHeader header = TableHeader::ForFields(fields);
  header.charType = charType;
  if (options.scratch && options.sealed) {
    header.encrypted = true;
    NewTableKey(header, ScratchSecret());
  }
  const TablePaths paths = TablePaths::For(path);
  if (header.HasMemo()) {
    const Cipher::Salt random = Cipher::NewSalt();
    std::memcpy(&header.memoGeneration, random.data(), sizeof header.memoGeneration);
    if (header.memoGeneration == 0) header.memoGeneration = 1;
  }
  // A scratch table is made in place: no one else looks into its folder, and no crash needs to keep it.
  const stdfs::path temp = options.scratch ? path : paths.Temp(paths.adt);
  {
    kv::fs::File file = kv::fs::File::Open(temp, kv::fs::File::Mode::CreateOrTruncate);
    const auto bytes = header.Encode();
    file.WriteAt(0, bytes.data(), bytes.size());
    if (!options.scratch) file.Sync();
  }
  // A memo or index file left by an earlier table of this name belongs to nothing now.
  kv::fs::RemoveHostFile(paths.adi);
  kv::fs::RemoveHostFile(paths.adm);
  if (header.HasMemo()) {
    MemoFile memo = MemoFile::Create(stdfs::path(path).replace_extension(".ADM"), header.memoGeneration);
    if (!options.scratch) memo.Sync();
  }
  if (!options.scratch) kv::fs::AtomicReplace(temp, path);
  return Open(path, options);
}

void Table::Drop(const stdfs::path& path) {
  auto table = Open(path, {.exclusive = true});
  const TablePaths paths = table->files_->Paths();
  kv::fs::File lock = std::move(table->lock_);
  table->files_.reset();
  table.reset();
  kv::fs::RemoveHostFile(paths.adi);
  kv::fs::RemoveHostFile(paths.adm);
  kv::fs::RemoveHostFile(paths.adt);
  kv::fs::SyncFolder(paths.adt.parent_path());
}

const stdfs::path& Table::Path() const { return files_->Paths().adt; }
std::string Table::Name() const { return StemOf(files_->Paths().adt); }

const TableHeader& Table::Header() { return files_->Header(); }

bool Table::IsEncrypted() {
  ReadScope read(*this);
  return files_->Header().encrypted;
}

bool Table::GivePassword(std::string_view password) {
  const TableHeader& h = files_->Header();
  if (h.encrypted) {
    const Cipher cipher = TableCipher(password, h);
    switch (CheckTableKey(cipher, h.statusBound, h.check)) {
      case KeyVerdict::kRight: break;
      case KeyVerdict::kWrong: Fail(code::kWrongPassword, "the password of table " + Name() + " is wrong");
      case KeyVerdict::kLayoutChanged:
        Fail(code::kCorruptFile, "table file " + Path().string() + " is damaged: its layout mark was changed");
    }
    if (password_ == password) return false;
    password_ = std::string(password);
    files_->SetCipher(cipher);
    // The index is checked as at an open, with no one's change under way.
    const bool sole = TrySole(lock_, options_.exclusive);
    std::optional<ChangeGate> gate;
    if (!options_.exclusive) gate.emplace(lock_, sole, Name());
    files_->EnsureIndex(sole);
    // An order chosen before the password could not open its tag: open it now.
    if (order_ >= 0) SetOrder(order_);
    positionUnknown_ = false;
    return true;
  }
  if (password_ == password) return false;
  password_ = std::string(password);
  return true;
}

void Table::RequireData() {
  if (files_->Header().encrypted && password_.empty())
    Fail(code::kPasswordRequired, "table " + Name() + " is encrypted: give its password first");
}

// --- tags -------------------------------------------------------------------------------------------------

std::vector<TagDefinition> Table::Tags() { return files_->Header().tags; }

int Table::FindTag(std::string_view name) { return files_->Header().FindTag(name); }

void Table::CreateTag(const std::string& name, const std::string& expression, std::uint32_t options,
                      std::uint16_t pageSize) {
  RequireData();
  FlushPending();
  TableHeader& header = files_->Header();
  if (name.empty() || name.size() > 128) Fail(code::kBadIndexKey, "an index tag needs a name of 1 to 128 characters");
  if (header.FindTag(name) >= 0) Fail(code::kIndexExists, "table " + Name() + " has an index tag " + name + " already");
  const KeyDefinition key = ParseKeyExpression(header, expression, options);
  if (!TrySole(lock_, options_.exclusive))
    Fail(code::kTableInUse, "an index can only be added to table " + Name() + " while no one else has it open");
  TagDefinition tag{name, expression, options, pageSize == 0 ? std::uint16_t(512) : pageSize};
  header.tags.push_back(tag);
  if (!header.EncodeTagArea()) {
    // The table header has no room left for another tag: rewrite the table with a larger one.
    header.tags.pop_back();
    RewriteAll({});
    files_->Header().tags.push_back(tag);
    if (!files_->Header().EncodeTagArea()) {
      files_->Header().tags.pop_back();
      Fail(code::kBadIndexKey, "table " + Name() + " holds no more index tags");
    }
  }
  TableHeader& h = files_->Header();
  // Build the new tag's entries first; only then does the table file record the tag.
  files_->ReloadKeys();
  try {
    WriteScope write(*this);
    if (!files_->IndexAvailable() || !kv::fs::HostFileExists(files_->Paths().adi))
      files_->RebuildIndex();
    else
      files_->BuildTag(static_cast<int>(h.tags.size()) - 1);
    write.Touch();
    files_->WriteTagArea(TableFiles::TagListChange::kAdded);
    write.Commit();
  } catch (...) {
    h.tags.pop_back();
    files_->ReloadKeys();
    if (files_->IndexAvailable()) {
      try {
        files_->Index().DropTag(name);
      } catch (...) {
      }
    }
    throw;
  }
  files_->EnsureIndex(/*sole=*/true);
  // The new tag is made: the counters no longer busy and the table file synced once, so that a close right
  // after has nothing left to write.
  files_->FinishChanges();
  files_->SyncData();
}

void Table::DropTag(const std::string& name) {
  FlushPending();
  TableHeader& h = files_->Header();
  const int t = h.FindTag(name);
  if (t < 0) Fail(code::kIndexNotFound, "table " + Name() + " has no index tag " + name);
  if (!TrySole(lock_, options_.exclusive))
    Fail(code::kTableInUse, "an index can only be removed from table " + Name() + " while no one else has it open");
  WriteScope write(*this);
  write.Touch();
  const TagDefinition removed = h.tags[t];
  h.tags.erase(h.tags.begin() + t);
  files_->WriteTagArea(TableFiles::TagListChange::kRemoved);
  if (files_->IndexAvailable()) files_->Index().DropTag(removed.name);
  files_->ReloadKeys();
  write.Commit();
  if (order_ == t) SetOrder(-1);
  else if (order_ > t) --order_;
  files_->EnsureIndex(/*sole=*/true);
}

void Table::SetOrder(int tag) {
  FlushPending();
  if (tag >= static_cast<int>(files_->Header().tags.size())) Fail(code::kIndexNotFound, "no such index tag");
  order_ = tag;
  scopeTop_.clear();
  scopeBottom_.clear();
  cursor_->change = ~0ULL;
  if (tag >= 0 && files_->IndexAvailable()) cursor_->cursor = files_->Index().OpenCursor(files_->TagIdOf(tag));
}

void Table::LockWriteByte(bool write) {
  lock_.Lock(kWriteLockByte, 1, write);
  try {
    files_->RefreshCounters();
    files_->RefuseChangeLeftUnfinished();
  } catch (...) {
    lock_.Unlock(kWriteLockByte, 1);
    throw;
  }
}

// --- holds ------------------------------------------------------------------------------------------------

Table::Hold::Hold(Table& table, HoldMode mode) : table_(&table) {
  Table& t = table;
  if (mode == HoldMode::kNone) Fail(code::kInternal, "a hold of table " + t.Name() + " needs a mode");
  if (t.hold_ != HoldMode::kNone) Fail(code::kInternal, "table " + t.Name() + " is held already");
  const bool write = mode == HoldMode::kWrite;
  t.FlushPending();
  if (write && t.options_.readOnly) Fail(code::kReadOnly, "table " + t.Name() + " was opened read-only");
  if (!t.options_.exclusive) t.LockWriteByte(write);
  t.hold_ = mode;
  t.holdTorn_ = false;
}

void Table::Hold::Release() {
  if (table_ == nullptr) return;
  Table& t = *table_;
  table_ = nullptr;
  struct Unlock {
    Table& t;
    ~Unlock() {
      t.hold_ = HoldMode::kNone;
      t.probedLo_ = 1;
      t.probedHi_ = 0;
      t.probed_.clear();
      if (!t.options_.exclusive) t.lock_.Unlock(kWriteLockByte, 1);
    }
  } unlock{t};
  try {
    t.FlushPending();
  } catch (...) {
    t.files_->EndJournal(false);
    throw;
  }
  // Under an exclusive open the counters wait for the close, as they always do. A change that failed halfway
  // leaves them marked busy, for the next sole open to repair; a statement's journal rolls it back at once when
  // no one else has the table open.
  if (t.hold_ == HoldMode::kWrite) t.files_->EndJournal(!t.holdTorn_);
  if (t.hold_ == HoldMode::kWrite && t.holdTorn_) t.files_->RollBackLeftStatement(TrySole(t.lock_, t.options_.exclusive));
  if (t.hold_ == HoldMode::kWrite && !t.options_.exclusive && !t.holdTorn_) t.files_->FinishChanges();
}

Table::Hold::~Hold() {
  try {
    // Not released: the statement did not finish, and a journal it kept rolls it back.
    if (table_ != nullptr && table_->hold_ == HoldMode::kWrite && table_->files_->Journaling()) table_->holdTorn_ = true;
    Release();
  } catch (...) {
    // The counters stay marked busy on disk: the next sole open recounts and rebuilds, as after a crash.
  }
}

void Table::RequireUnlocked(std::span<const std::uint64_t> recnos) {
  if (hold_ != HoldMode::kWrite) Fail(code::kInternal, "table " + Name() + " is not held for writing");
  if (options_.exclusive || recnos.empty()) return;
  const auto [lo, hi] = std::minmax_element(recnos.begin(), recnos.end());
  // A probe over a range this handle holds locks in would give those locks up: then record by record.
  if (locks_.Empty() && lock_.TryLock(kRecordLockBase + *lo, *hi - *lo + 1, true)) {
    lock_.Unlock(kRecordLockBase + *lo, *hi - *lo + 1);
    probedLo_ = *lo;
    probedHi_ = *hi;
    return;
  }
  for (const std::uint64_t recno : recnos) {
    if (locks_.Holds(recno)) continue;
    if (!lock_.TryLock(kRecordLockBase + recno, 1, true))
      Fail(code::kRecordLocked, "record " + std::to_string(recno) + " of table " + Name() + " is locked by another user");
    lock_.Unlock(kRecordLockBase + recno, 1);
  }
  probed_.assign(recnos.begin(), recnos.end());
  std::sort(probed_.begin(), probed_.end());
}

bool Table::Probed(std::uint64_t recno) const {
  return hold_ == HoldMode::kWrite && ((recno >= probedLo_ && recno <= probedHi_) || std::binary_search(probed_.begin(), probed_.end(), recno));
}

// --- the current record -----------------------------------------------------------------------------------

void Table::LoadCurrent() {
  if (appending_) return;
  const RecordImage& loaded = record_.loaded;
  if (loaded.valid && loaded.recno == recno_ && (!record_.preloaded || loaded.change == files_->Header().counters.change))
    return;
  record_.preloaded = false;
  RequireRecord();
  RequireData();
  ReadScope read(*this);
  // A deleted record still reads: it is the current one until moved from.
  record_.loaded.live = files_->ReadPayload(recno_, record_.loaded.payload);
  record_.loaded.change = files_->Header().counters.change;
  if (record_.loaded.payload.size() != files_->Header().payloadSize) {
    std::vector<std::uint8_t> slot(files_->Header().SlotSize());
    files_->Data().ReadExactAt(files_->Header().SlotOffset(recno_), slot.data(), slot.size());
    slot[0] = TableHeader::kLive;
    files_->DecodeSlot(recno_, slot.data(), record_.loaded.payload);
  }
  record_.loaded.valid = true;
  record_.loaded.recno = recno_;
}

void Table::RequireRecord() {
  if (appending_) return;
  if (positionUnknown_) RequireData();
  if (recno_ == 0) Fail(code::kNoCurrentRecord, "table " + Name() + " is not positioned on a record");
}

Value Table::GetField(int field) {
  const TableHeader& h = files_->Header();
  if (field < 0 || field >= static_cast<int>(h.fields.size())) Fail(code::kFieldNotFound, "no such field");
  LoadCurrent();
  const FieldDescriptor& f = h.fields[field];
  if (IsMemoLike(f.type)) {
    if (auto it = pendingMemo_.find(field); it != pendingMemo_.end())
      return it->second.empty() ? Value::Null() : MemoValueOf(f, it->second);
    const MemoRef ref = ReadMemoRef(f, record_.loaded.payload.data());
    if (ref.block == 0) return Value::Null();
    ReadScope read(*this);
    return MemoValueOf(f, files_->Memo().Read(ref));
  }
  return ReadScalar(f, record_.loaded.payload.data());
}

bool Table::IsFieldEmpty(int field) {
  // Blanks count as empty in a character field, as callers of the "is empty" test expect.
  const Value v = GetField(field);
  return v.IsNull() || (v.GetKind() == Value::Kind::String && v.AsString().find_first_not_of(' ') == std::string::npos);
}

void Table::LockRecord() {
  RequireRecord();
  TakeRecordLock(LockReason::kAsked);
}

void Table::TakeRecordLock(LockReason why) {
  if (appending_ || options_.exclusive) return;
  if (locks_.Holds(recno_)) {
    // Asked for while an edit holds it: the lock outlives that edit.
    if (why == LockReason::kAsked) locks_.Add(recno_, why);
    return;
  }
  if (!lock_.TryLock(kRecordLockBase + recno_, 1, true))
    Fail(code::kRecordLocked, "record " + std::to_string(recno_) + " of table " + Name() + " is locked by another user");
  locks_.Add(recno_, why);
  record_.loaded.valid = false;  // read it again: it may have changed before the lock was ours
}

void Table::UnlockRecord() {
  if (locks_.Remove(recno_)) lock_.Unlock(kRecordLockBase + recno_, 1);
}

void Table::ReleaseChangeLock() {
  if (locks_.HeldFor(recno_, LockReason::kForChange)) UnlockRecord();
}

void Table::AppendRecord() {
  FlushPending();
  RequireData();
  if (options_.readOnly) Fail(code::kReadOnly, "table " + Name() + " was opened read-only");
  const std::vector<std::uint8_t>& blank = files_->BlankPayload();
  record_.loaded.payload.assign(blank.begin(), blank.end());
  appending_ = true;
  dirty_ = true;  // the blank record is written even when no field is set
  record_.loaded.valid = true;
  record_.loaded.live = false;
  record_.preloaded = false;
  pendingMemo_.clear();
}

void Table::SetField(int field, const Value& value) {
  const TableHeader& h = files_->Header();
  if (field < 0 || field >= static_cast<int>(h.fields.size())) Fail(code::kFieldNotFound, "no such field");
  if (options_.readOnly) Fail(code::kReadOnly, "table " + Name() + " was opened read-only");
  LoadCurrent();
  const FieldDescriptor& f = h.fields[field];
  if (f.type == FieldType::AutoInc)
    Fail(code::kReadOnly, "field '" + f.name + "' of table " + Name() + " is numbered by the table and cannot be set");
  if (!appending_ && !options_.exclusive && !locks_.Holds(recno_) && !Probed(recno_)) {
    TakeRecordLock(LockReason::kForChange);
    LoadCurrent();
  }
  if (!appending_ && !dirty_) {
    // The record as it was before this edit: WriteRecord needs it for the old keys, and need not read it again
    // while the table's change counter shows that the file still holds it.
    const RecordImage& loaded = record_.loaded;
    RecordImage& before = record_.before;
    before.valid = loaded.valid && loaded.live && loaded.recno == recno_;
    if (before.valid) {
      before.payload.assign(loaded.payload.begin(), loaded.payload.end());
      before.recno = recno_;
      before.live = true;
      before.change = loaded.change;
    }
  }
  if (IsMemoLike(f.type)) pendingMemo_[field] = value.IsNull() ? std::string() : MemoBytesOf(f, value);
  else WriteScalar(f, record_.loaded.payload.data(), value);
  dirty_ = true;
}

void Table::CancelRecord() {
  const bool wasAppending = appending_;
  appending_ = false;
  dirty_ = false;
  record_.before.valid = false;
  pendingMemo_.clear();
  record_.loaded.valid = false;
  if (wasAppending && recno_ == 0) eof_ = true;
  ReleaseChangeLock();
}

void Table::FlushPending() {
  if (dirty_) WriteRecord();
  else if (appending_) CancelRecord();
}

void Table::WriteRecord() {
  if (!dirty_) {
    if (appending_) CancelRecord();
    ReleaseChangeLock();
    return;
  }
  RequireData();
  TableHeader& h = files_->Header();
  WriteScope write(*this);
  std::vector<std::uint8_t>& payload = record_.staged;
  payload.assign(record_.loaded.payload.begin(), record_.loaded.payload.end());
  std::vector<std::uint8_t> old;
  const bool appending = appending_;
  const std::uint64_t recno = appending ? h.counters.slots + 1 : recno_;
  const bool haveBefore = record_.before.Current(recno, h.counters.change);
  record_.before.valid = false;
  if (haveBefore) old.swap(record_.before.payload);
  else if (!appending && !files_->ReadPayload(recno, old))
    Fail(code::kNoCurrentRecord, "record " + std::to_string(recno) + " of table " + Name() + " was deleted");
  std::uint64_t nextAutoInc = h.counters.nextAutoInc;
  if (appending)
    for (const FieldDescriptor& f : h.fields)
      if (f.type == FieldType::AutoInc) WriteScalar(f, payload.data(), Value::Integer(static_cast<std::int64_t>(nextAutoInc++)));
  // Memo values are written first: their blocks are unreferenced until the record points at them.
  if (!pendingMemo_.empty()) {
    write.Touch();
    for (const auto& [field, bytes] : pendingMemo_) WriteMemoRef(h.fields[field], payload.data(), files_->Memo().Write(bytes));
  }
  // Every unique tag is checked before anything of the record is written.
  const std::size_t tagCount = h.tags.size();
  std::vector<std::vector<std::uint8_t>> newKeys(tagCount), oldKeys(tagCount);
  if (tagCount > 0) {
    index::IndexFile& index = files_->Index();
    for (std::size_t t = 0; t < tagCount; ++t) {
      newKeys[t] = files_->KeyOf(static_cast<int>(t), payload);
      if (!appending) oldKeys[t] = files_->KeyOf(static_cast<int>(t), old);
      const KeyDefinition& key = files_->Keys()[t];
      if (!key.unique || (!appending && oldKeys[t] == newKeys[t])) continue;
      auto probe = index.OpenCursor(files_->TagIdOf(static_cast<int>(t)));
      if (probe.SeekGE(newKeys[t]) && std::memcmp(probe.Key().data(), newKeys[t].data(), newKeys[t].size()) == 0 &&
          probe.Recno() != recno)
        Fail(code::kUniqueKeyViolation, "the key " + DescribeKey(key, h, payload.data()) + " is in unique index tag " +
                                            h.tags[t].name + " of table " + Name() + " already");
    }
  }
  write.Touch();
  files_->WritePayload(recno, payload, TableHeader::kLive);
  if (tagCount > 0) {
    index::IndexFile& index = files_->Index();
    for (std::size_t t = 0; t < tagCount; ++t) {
      const index::TagId id = files_->TagIdOf(static_cast<int>(t));
      if (!appending && oldKeys[t] == newKeys[t]) continue;
      if (!appending) index.Erase(id, oldKeys[t], recno);
      index.Insert(id, newKeys[t], recno);
    }
  }
  if (appending) {
    ++h.counters.slots;
    ++h.counters.live;
    h.counters.nextAutoInc = nextAutoInc;
  }
  write.Commit();
  record_.loaded.payload.swap(record_.staged);
  if (haveBefore) record_.before.payload.swap(old);  // keeps its capacity for the next edit
  pendingMemo_.clear();
  dirty_ = appending_ = false;
  Position(recno);
  record_.loaded.valid = true;
  record_.loaded.recno = recno;
  record_.loaded.live = true;
  record_.loaded.change = h.counters.change;
  cursor_->change = ~0ULL;
  ReleaseChangeLock();
}

void Table::DeleteRecord() {
  if (appending_) {
    CancelRecord();
    return;
  }
  RequireRecord();
  RequireData();
  if (!options_.exclusive && !locks_.Holds(recno_) && !Probed(recno_)) TakeRecordLock(LockReason::kForChange);
  TableHeader& h = files_->Header();
  {
    WriteScope write(*this);
    std::vector<std::uint8_t> old;
    // The record as loaded, while the change counter shows that the file still holds it; else read again.
    const bool current = !dirty_ && record_.loaded.Current(recno_, h.counters.change);
    if (current) old = record_.loaded.payload;
    if (current || files_->ReadPayload(recno_, old)) {
      write.Touch();
      files_->WriteDeleted(recno_, old);
      for (std::size_t t = 0; t < h.tags.size(); ++t)
        files_->Index().Erase(files_->TagIdOf(static_cast<int>(t)), files_->KeyOf(static_cast<int>(t), old), recno_);
      --h.counters.live;
      record_.loaded.payload = old;
      record_.loaded.valid = true;
      record_.loaded.live = false;
      record_.preloaded = false;
      record_.loaded.recno = recno_;
    }
    write.Commit();
  }
  dirty_ = false;
  pendingMemo_.clear();
  ReleaseChangeLock();
}

}  // namespace ace::storage
