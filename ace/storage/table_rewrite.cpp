// Whole-table changes: pack, zap, encrypt, decrypt and restructure. Each one writes a complete new set of files
// beside the old one (NAME.ADT.new, NAME.ADM.new, NAME.ADI.new), makes them durable, writes the commit marker
// NAME.ADT.swap and only then moves the new files into place. A crash before the marker leaves the old table
// (the new files are removed on the next open); a crash after it leaves the new one (the next open finishes the
// moves). docs/formats/adt.md describes the protocol.

#include <algorithm>
#include <cstring>
#include <functional>

#include "ace/core/error.h"
#include "ace/storage/record_codec.h"
#include "ace/storage/slot_seal.h"
#include "ace/storage/table.h"
#include "ace/storage/table_files.h"
#include "ace/storage/tag_builder.h"

namespace stdfs = std::filesystem;

namespace ace::storage {

namespace {

std::uint64_t NewGeneration() {
  const Cipher::Salt random = Cipher::NewSalt();
  std::uint64_t g = 0;
  std::memcpy(&g, random.data(), sizeof g);
  return g == 0 ? 1 : g;
}

// The new table's header: the new fields, the tags whose keys still read against them, a tag area with room for
// them, and the old table's character and table type.
TableHeader NewHeader(const TableHeader& old, const std::vector<FieldSpec>& fields,
                      const std::vector<TagDefinition>& tags) {
  const auto make = [&](std::uint32_t tagArea) {
    TableHeader h = TableHeader::ForFields(fields, tagArea);
    h.charType = old.charType;
    h.tableType = old.tableType;
    return h;
  };
  TableHeader fresh = make(TableHeader::kDefaultTagArea);
  for (const TagDefinition& tag : tags) {
    // A tag whose key names a field the new layout lacks (or made a memo) goes with that field; any other fault
    // of the key in the new layout (a key grown past its limit) stops the change before anything is written.
    if (!KeyFieldsPresent(fresh, tag.expression)) continue;
    ParseKeyExpression(fresh, tag.expression, tag.options);
    fresh.tags.push_back(tag);
  }
  if (!fresh.EncodeTagArea()) {
    // Twice what the tags need.
    std::size_t need = table_format::tag_area::kHead;
    for (const TagDefinition& t : fresh.tags) need += 1 + 2 + table_format::tag_area::kEntryTail + t.name.size() +
                                                      t.expression.size();
    std::vector<TagDefinition> kept = std::move(fresh.tags);
    fresh = make(static_cast<std::uint32_t>(need * 2));
    fresh.tags = std::move(kept);
  }
  fresh.counters.nextAutoInc = old.counters.nextAutoInc;
  fresh.counters.change = old.counters.change + 1;
  return fresh;
}

// Carries the records of the old table into the new one, one record at a time: by copying the payload when the
// layout stays, else by taking the old record apart into values (through the mapping of a restructure) and
// putting the new one together, its memo values written to the new memo file.
class RecordCopier {
 public:
  RecordCopier(TableFiles& files, const TableHeader& old, const TableHeader& fresh, const RecordMapping* mapping,
               MemoFile* memo, const std::string& table)
      : files_(files), old_(old), fresh_(fresh), mapping_(mapping), memo_(memo),
        nextAutoInc_(old.counters.nextAutoInc), newPayload_(fresh.payloadSize), copied_(fresh.fields.size(), -1) {
    // Pack, encrypt and decrypt keep the layout: with no memo blocks to carry over, a record's payload is copied as
    // it is instead of being taken apart into values and put together again.
    sameLayout_ = mapping == nullptr && !old.HasMemo() && fresh.payloadSize == old.payloadSize &&
                  fresh.fields.size() == old.fields.size();
    for (std::size_t fi = 0; sameLayout_ && fi < fresh.fields.size(); ++fi) {
      const FieldDescriptor &n = fresh.fields[fi], &o = old.fields[fi];
      sameLayout_ = n.type == o.type && n.offset == o.offset && n.nullBit == o.nullBit &&
                    FieldValueSize(n) == FieldValueSize(o);
    }
    // Fields that take an old field's bytes over unchanged (a restructure that adds, drops or retypes others).
    for (std::size_t fi = 0; mapping && fi < mapping->copied.size() && fi < fresh.fields.size(); ++fi) {
      const int from = mapping->copied[fi];
      if (from < 0) continue;
      const FieldDescriptor& n = fresh.fields[fi];
      if (from >= static_cast<int>(old.fields.size()) || old.fields[from].type != n.type ||
          old.fields[from].length != n.length || old.fields[from].decimals != n.decimals || IsMemoLike(n.type) ||
          n.type == FieldType::AutoInc)
        Fail(code::kInternal, "field " + n.name + " of table " + table + " cannot take over an old field's bytes");
      copied_[fi] = from;
    }
    oldValues_ = [this](int field) { return OldValue(field); };  // made once: map is called for every record
  }

  // The new payload of the old record whose payload is given.
  const std::vector<std::uint8_t>& Convert(const std::vector<std::uint8_t>& payload) {
    payload_ = &payload;
    if (sameLayout_) {
      newPayload_.assign(payload.begin(), payload.end());
      for (const FieldDescriptor& f : fresh_.fields)
        if (f.type == FieldType::AutoInc) {
          Value v = ReadScalar(f, newPayload_.data());
          if (v.IsNull()) WriteScalar(f, newPayload_.data(), v = NextAutoInc(v));
          else NextAutoInc(v);
        }
      return newPayload_;
    }
    if (mapping_) {
      values_.assign(fresh_.fields.size(), Value::Null());
      mapping_->map(oldValues_, values_);
    } else {
      values_.clear();
      for (std::size_t fi = 0; fi < old_.fields.size(); ++fi) values_.push_back(OldValue(static_cast<int>(fi)));
    }
    std::fill(newPayload_.begin(), newPayload_.end(), 0);
    for (std::size_t fi = 0; fi < fresh_.fields.size(); ++fi) PutField(fi);
    return newPayload_;
  }

  std::uint64_t NextAutoIncAfter() const { return nextAutoInc_; }

 private:
  Value OldValue(int field) const {
    const FieldDescriptor& f = old_.fields.at(field);
    if (!IsMemoLike(f.type)) return ReadScalar(f, payload_->data());
    const MemoRef ref = ReadMemoRef(f, payload_->data());
    return ref.block == 0 ? Value::Null() : MemoValueOf(f, files_.Memo().Read(ref));
  }

  // An AutoInc value: the next one for an empty value; the counter stays past every value kept.
  Value NextAutoInc(Value v) {
    if (v.IsNull()) v = Value::Integer(static_cast<std::int64_t>(nextAutoInc_));
    nextAutoInc_ = std::max<std::uint64_t>(nextAutoInc_, static_cast<std::uint64_t>(v.AsInteger()) + 1);
    return v;
  }

  void PutField(std::size_t fi) {
    const FieldDescriptor& f = fresh_.fields[fi];
    if (copied_[fi] >= 0) {
      const FieldDescriptor& o = old_.fields[copied_[fi]];
      std::memcpy(newPayload_.data() + f.offset, payload_->data() + o.offset, FieldValueSize(f));
      SetNull(f, newPayload_.data(), IsNull(o, payload_->data()));
      return;
    }
    Value v = fi < values_.size() ? values_[fi] : Value::Null();
    if (f.type == FieldType::AutoInc) v = NextAutoInc(v);
    if (IsMemoLike(f.type)) {
      const std::string bytes = v.IsNull() ? std::string() : MemoBytesOf(f, v);
      WriteMemoRef(f, newPayload_.data(), bytes.empty() ? MemoRef{} : memo_->Write(bytes));
    } else {
      WriteScalar(f, newPayload_.data(), v);
    }
  }

  TableFiles& files_;
  const TableHeader& old_;
  const TableHeader& fresh_;
  const RecordMapping* mapping_;
  MemoFile* memo_;
  std::uint64_t nextAutoInc_;
  bool sameLayout_ = false;
  std::vector<std::uint8_t> newPayload_;
  std::vector<int> copied_;
  std::vector<Value> values_;
  const std::vector<std::uint8_t>* payload_ = nullptr;
  std::function<Value(int)> oldValues_;
};

}  // namespace

void Table::RequireSole(const char* what) {
  if (options_.exclusive) return;
  if (!lock_.TryLock(kOpenLockByte, 1, true))
    Fail(code::kTableInUse, std::string("table ") + Name() + " cannot be " + what + " while another user has it open");
  // The write byte too, for the rewrite's length: it tells a user who opens meanwhile that a change is under way,
  // to be waited for, rather than an exclusive open.
  lock_.TryLock(kWriteLockByte, 1, true);
}

void Table::ReleaseSole() {
  if (options_.exclusive) return;
  lock_.TryLock(kOpenLockByte, 1, false);
  lock_.Unlock(kWriteLockByte, 1);
}

void Table::Pack() {
  RequireData();
  RewriteAll({});
}

void Table::Zap() {
  RequireData();
  RewriteAll({.keepRecords = false});
}

void Table::Encrypt() {
  if (files_->Header().encrypted) Fail(code::kEncryptionUnchanged, "table " + Name() + " is encrypted already");
  if (password_.empty()) Fail(code::kPasswordRequired, "give the password before encrypting table " + Name());
  RewriteAll({.encrypt = true});
}

void Table::Decrypt() {
  if (!files_->Header().encrypted) Fail(code::kEncryptionUnchanged, "table " + Name() + " is not encrypted");
  RequireData();
  RewriteAll({.encrypt = false});
}

void Table::Restructure(const RecordMapping& mapping) {
  RequireData();
  RewriteAll({.mapping = &mapping});
}

void Table::RewriteAll(const Rewrite& rewrite) {
  if (options_.readOnly) Fail(code::kReadOnly, "table " + Name() + " was opened read-only");
  FlushPending();
  RequireSole("rewritten");
  struct Release {
    Table& t;
    ~Release() { t.ReleaseSole(); }
  } release{*this};

  const TableHeader& old = files_->Header();
  const TablePaths paths = files_->Paths();
  const RecordMapping* mapping = rewrite.mapping;
  const std::vector<FieldSpec> newFields =
      mapping ? mapping->fields : std::vector<FieldSpec>(old.fields.begin(), old.fields.end());
  TableHeader fresh = NewHeader(old, newFields, mapping && mapping->tags ? *mapping->tags : old.tags);
  fresh.encrypted = rewrite.encrypt.value_or(old.encrypted);
  std::optional<Cipher> cipher;
  if (fresh.encrypted) {
    // The key stays when the table was encrypted already: a new one would buy nothing.
    if (old.encrypted) {
      fresh.salt = old.salt;
      fresh.splitSalt = old.splitSalt;
      cipher = TableCipher(password_, fresh);
      fresh.check = TableKeyCheck(*cipher, fresh.statusBound);
    } else {
      cipher = NewTableKey(fresh, password_);
    }
  }
  fresh.memoGeneration = fresh.HasMemo() ? NewGeneration() : 0;

  for (const stdfs::path& f : {paths.adt, paths.adm, paths.adi}) kv::fs::RemoveHostFile(paths.Temp(f));
  const stdfs::path tempAdt = paths.Temp(paths.adt);
  kv::fs::File out = kv::fs::File::Open(tempAdt, kv::fs::File::Mode::CreateNew);
  {
    const auto bytes = fresh.Encode();
    out.WriteAt(0, bytes.data(), bytes.size());
  }
  std::optional<MemoFile> memo;
  if (fresh.memoGeneration) {
    memo = MemoFile::Create(paths.Temp(paths.adm), fresh.memoGeneration);
    memo->SetCipher(cipher ? &*cipher : nullptr);
  }
  if (rewrite.keepRecords) CopyRecords(fresh, mapping, cipher ? &*cipher : nullptr, out, memo ? &*memo : nullptr);
  {
    const auto counters = fresh.EncodeCounters();
    out.WriteAt(TableHeader::kCountersOffset, counters.data(), counters.size());
  }
  out.Sync();
  if (memo) memo->Sync();
  if (!fresh.tags.empty()) BuildRewrittenIndex(fresh, cipher ? &*cipher : nullptr, out, paths.Temp(paths.adi));
  SwapInRewrite(fresh, old.memoGeneration != 0, std::move(out), cipher);
}

void Table::CopyRecords(TableHeader& fresh, const RecordMapping* mapping, const Cipher* cipher, kv::fs::File& out,
                        MemoFile* memo) {
  // Stream the records: read a chunk, convert, write a chunk. Memory stays bounded whatever the table's size.
  const TableHeader& old = files_->Header();
  RecordCopier copier(*files_, old, fresh, mapping, memo, Name());
  const std::uint32_t outSlot = fresh.SlotSize();
  // Chunks of about 1 MiB of slots (at least one), so the buffers stay small whatever the record size.
  const std::uint64_t chunk =
      std::max<std::uint64_t>(1, (std::uint64_t{1} << 20) / std::max(old.SlotSize(), outSlot));
  std::uint64_t written = 0;
  std::vector<std::uint8_t> in, payload, outBuffer;
  for (std::uint64_t r = 1; r <= old.counters.slots; r += chunk) {
    const std::uint64_t n = files_->ReadSlots(r, chunk, in);
    outBuffer.clear();
    outBuffer.reserve(n * outSlot);
    for (std::uint64_t i = 0; i < n; ++i) {
      if (!files_->DecodeSlot(r + i, in.data() + i * old.SlotSize(), payload)) continue;
      const std::vector<std::uint8_t>& newPayload = copier.Convert(payload);
      ++written;
      const std::size_t at = outBuffer.size();
      outBuffer.resize(at + outSlot);
      outBuffer[at] = TableHeader::kLive;
      if (cipher) SealSlot(*cipher, fresh.statusBound, written, TableHeader::kLive, newPayload.data(), newPayload.size(), &outBuffer[at + 1]);
      else std::memcpy(&outBuffer[at + 1], newPayload.data(), newPayload.size());
    }
    if (!outBuffer.empty())
      out.WriteAt(fresh.SlotOffset(written - outBuffer.size() / outSlot + 1), outBuffer.data(), outBuffer.size());
  }
  fresh.counters.slots = fresh.counters.live = written;
  fresh.counters.nextAutoInc = copier.NextAutoIncAfter();
}

void Table::BuildRewrittenIndex(const TableHeader& fresh, const Cipher* cipher, const kv::fs::File& out,
                                const stdfs::path& path) {
  // Built from the new file, as every index is built (tag_builder.h); every record in it is live.
  auto index = index::IndexFile::Create(path, cipher, fresh.counters.change);
  index.SetOwner(fresh.tableId);
  const SlotReader records{
      fresh, fresh.counters.slots,
      [&](std::uint64_t recno, std::uint64_t count, std::vector<std::uint8_t>& buffer) {
        const std::uint64_t n = std::min(count, fresh.counters.slots - recno + 1);
        buffer.resize(n * fresh.SlotSize());
        out.ReadExactAt(fresh.SlotOffset(recno), buffer.data(), buffer.size());
        return n;
      },
      [&](std::uint64_t recno, const std::uint8_t* slot, std::vector<std::uint8_t>& payload) {
        payload.resize(fresh.payloadSize);
        if (!cipher) {
          std::memcpy(payload.data(), slot + 1, fresh.payloadSize);
        } else if (!OpenSlot(*cipher, fresh.statusBound, recno, slot, fresh.payloadSize, payload.data())) {
          Fail(code::kIoError, "the new file of table " + Name() + " does not read back");
        }
        return true;
      }};
  for (const TagDefinition& tag : fresh.tags)
    BuildTag(index, tag, ParseKeyExpression(fresh, tag.expression, tag.options), records);
  index.MarkCleanUnpublished(fresh.counters.change);
}

void Table::SwapInRewrite(const TableHeader& fresh, bool hadMemo, kv::fs::File out, const std::optional<Cipher>& cipher) {
  const TablePaths paths = files_->Paths();
  // Commit: the marker says the new files are complete; from here on the next open finishes the change. Its
  // existence is what counts, made durable by the folder sync together with the new files' names; its text is
  // not synced, because a roll forward reads whether the memo file goes from the new table file itself.
  kv::fs::File newLock = kv::fs::File::Open(paths.Temp(paths.adt), kv::fs::File::Mode::ReadWrite);
  newLock.TryLock(kOpenLockByte, 1, true);  // a new file: no one else can hold it
  if (!options_.exclusive) newLock.TryLock(kWriteLockByte, 1, true);
  {
    kv::fs::File marker = kv::fs::File::Open(paths.Marker(), kv::fs::File::Mode::CreateOrTruncate);
    const std::string text = std::string("rewrite\n") + (fresh.memoGeneration == 0 && hadMemo ? "drop-memo\n" : "");
    marker.WriteAt(0, text.data(), text.size());
  }
  kv::fs::SyncFolder(paths.adt.parent_path());
  out.Close();
  files_->Data().Close();
  RecoverRewrite(paths);
  if (fresh.tags.empty()) kv::fs::RemoveHostFile(paths.adi);

  lock_ = std::move(newLock);
  files_->Reload();
  if (cipher) files_->SetCipher(*cipher);
  files_->EnsureIndex(/*sole=*/true);
  order_ = std::min(order_, static_cast<int>(files_->Header().tags.size()) - 1);
  SetOrder(order_);
  record_ = {};
  locks_.Clear();
  GotoTop();
}

}  // namespace ace::storage
