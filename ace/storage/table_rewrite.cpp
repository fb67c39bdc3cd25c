// Whole-table changes: pack, zap, encrypt, decrypt and restructure. Each one writes a complete new set of files
// beside the old one (NAME.ADT.new, NAME.ADM.new, NAME.ADI.new), makes them durable, writes the commit marker
// NAME.ADT.swap and only then moves the new files into place. A crash before the marker leaves the old table
// (the new files are removed on the next open); a crash after it leaves the new one (the next open finishes the
// moves). docs/formats/adt.md describes the protocol.

#include <algorithm>
#include <cstring>

#include "ace/core/error.h"
#include "ace/storage/record_codec.h"
#include "ace/storage/table.h"
#include "ace/storage/table_files.h"

namespace stdfs = std::filesystem;

namespace ace::storage {

namespace {

std::uint64_t NewGeneration() {
  const Cipher::Salt random = Cipher::NewSalt();
  std::uint64_t g = 0;
  std::memcpy(&g, random.data(), sizeof g);
  return g == 0 ? 1 : g;
}

}  // namespace

void Table::RequireSole(const char* what) {
  if (options_.exclusive) return;
  if (!lock_.TryLock(kOpenLockByte, 1, true))
    Fail(code::kTableInUse, std::string("table ") + Name() + " cannot be " + what + " while another user has it open");
}

void Table::ReleaseSole() {
  if (!options_.exclusive) lock_.TryLock(kOpenLockByte, 1, false);
}

void Table::Pack() {
  RequireData();
  RewriteAll(nullptr, nullptr, true, std::nullopt);
}

void Table::Zap() {
  RequireData();
  RewriteAll(nullptr, nullptr, false, std::nullopt);
}

void Table::Encrypt() {
  if (files_->Header().encrypted) Fail(code::kEncryptionUnchanged, "table " + Name() + " is encrypted already");
  if (password_.empty()) Fail(code::kPasswordRequired, "give the password before encrypting table " + Name());
  RewriteAll(nullptr, nullptr, true, true);
}

void Table::Decrypt() {
  if (!files_->Header().encrypted) Fail(code::kEncryptionUnchanged, "table " + Name() + " is not encrypted");
  RequireData();
  RewriteAll(nullptr, nullptr, true, false);
}

void Table::Restructure(const RecordMapping& mapping) {
  RequireData();
  RewriteAll(&mapping.fields, &mapping, true, std::nullopt);
}

void Table::RewriteAll(const std::vector<FieldSpec>* fields, const RecordMapping* mapping, bool keepRecords,
                       std::optional<bool> encrypt) {
  if (options_.readOnly) Fail(code::kReadOnly, "table " + Name() + " was opened read-only");
  FlushPending();
  RequireSole("rewritten");
  struct Release {
    Table& t;
    ~Release() { t.ReleaseSole(); }
  } release{*this};

  const TableHeader& old = files_->Header();
  const TablePaths paths = files_->Paths();
  std::vector<FieldSpec> newFields;
  if (fields) newFields = *fields;
  else newFields.assign(old.fields.begin(), old.fields.end());

  // A header with room for the tags: the default area, or twice what they need.
  TableHeader fresh = TableHeader::ForFields(newFields);
  fresh.charType = old.charType;
  fresh.tableType = old.tableType;
  for (const TagDefinition& tag : mapping && mapping->tags ? *mapping->tags : old.tags) {
    // A tag whose key names a field the new layout lacks (or made a memo) goes with that field; any other fault
    // of the key in the new layout (a key grown past its limit) stops the change before anything is written.
    if (!KeyFieldsPresent(fresh, tag.expression)) continue;
    ParseKeyExpression(fresh, tag.expression, tag.options);
    fresh.tags.push_back(tag);
  }
  if (!fresh.EncodeTagArea()) {
    std::size_t need = 8;
    for (const TagDefinition& t : fresh.tags) need += 9 + t.name.size() + t.expression.size();
    fresh = [&] {
      TableHeader h = TableHeader::ForFields(newFields, static_cast<std::uint32_t>(need * 2));
      h.charType = old.charType;
      h.tableType = old.tableType;
      h.tags = fresh.tags;
      return h;
    }();
  }
  fresh.encrypted = encrypt.value_or(old.encrypted);
  std::optional<Cipher> cipher;
  if (fresh.encrypted) {
    fresh.salt = Cipher::NewSalt();
    cipher = Cipher::Derive(password_, fresh.salt);
    fresh.check = cipher->CheckValue();
  }
  fresh.memoGeneration = fresh.HasMemo() ? NewGeneration() : 0;
  fresh.counters.nextAutoInc = old.counters.nextAutoInc;
  fresh.counters.change = old.counters.change + 1;

  for (const stdfs::path& f : {paths.adt, paths.adm, paths.adi}) kv::fs::RemoveHostFile(paths.Temp(f));
  const stdfs::path tempAdt = paths.Temp(paths.adt);
  const stdfs::path tempAdm = paths.Temp(paths.adm);
  kv::fs::File out = kv::fs::File::Open(tempAdt, kv::fs::File::Mode::CreateNew);
  {
    const auto bytes = fresh.Encode();
    out.WriteAt(0, bytes.data(), bytes.size());
  }
  std::optional<MemoFile> memo;
  if (fresh.memoGeneration) {
    memo = MemoFile::Create(tempAdm, fresh.memoGeneration);
    memo->SetCipher(cipher ? &*cipher : nullptr);
  }

  // Stream the records: read a chunk, convert, write a chunk. Memory stays bounded whatever the table's size.
  std::uint64_t written = 0;
  std::uint64_t nextAutoInc = old.counters.nextAutoInc;
  std::vector<std::uint8_t> in, payload, newPayload(fresh.payloadSize), outBuffer;
  std::vector<Value> values;
  const std::uint32_t outSlot = fresh.SlotSize();
  // Chunks of about 1 MiB of slots (at least one), so the buffers stay small whatever the record size.
  const std::uint64_t kChunk = std::max<std::uint64_t>(1, (std::uint64_t{1} << 20) / std::max(old.SlotSize(), outSlot));
  // Pack, encrypt and decrypt keep the layout: with no memo blocks to carry over, a record's payload is copied as
  // it is instead of being taken apart into values and put together again.
  bool sameLayout = mapping == nullptr && !old.HasMemo() && fresh.payloadSize == old.payloadSize &&
                    fresh.fields.size() == old.fields.size();
  for (std::size_t fi = 0; sameLayout && fi < fresh.fields.size(); ++fi)
    sameLayout = fresh.fields[fi].type == old.fields[fi].type && fresh.fields[fi].offset == old.fields[fi].offset &&
                 fresh.fields[fi].nullBit == old.fields[fi].nullBit && FieldValueSize(fresh.fields[fi]) == FieldValueSize(old.fields[fi]);
  // Fields that take an old field's bytes over unchanged (a restructure that adds, drops or retypes other columns).
  std::vector<int> copied(fresh.fields.size(), -1);
  for (std::size_t fi = 0; mapping && fi < mapping->copied.size() && fi < fresh.fields.size(); ++fi) {
    const int from = mapping->copied[fi];
    if (from < 0) continue;
    const FieldDescriptor& n = fresh.fields[fi];
    if (from >= static_cast<int>(old.fields.size()) || old.fields[from].type != n.type ||
        old.fields[from].length != n.length || old.fields[from].decimals != n.decimals || IsMemoLike(n.type) ||
        n.type == FieldType::AutoInc)
      Fail(code::kInternal, "field " + n.name + " of table " + Name() + " cannot take over an old field's bytes");
    copied[fi] = from;
  }
  const auto oldValue = [&](int field) -> Value {
    const FieldDescriptor& f = old.fields.at(field);
    if (!IsMemoLike(f.type)) return ReadScalar(f, payload.data());
    const MemoRef ref = ReadMemoRef(f, payload.data());
    return ref.block == 0 ? Value::Null() : MemoValueOf(f, files_->Memo().Read(ref));
  };
  const std::function<Value(int)> oldValues = oldValue;  // made once: map is called for every record
  for (std::uint64_t r = 1; keepRecords && r <= old.counters.slots; r += kChunk) {
    const std::uint64_t n = files_->ReadSlots(r, kChunk, in);
    outBuffer.clear();
    outBuffer.reserve(n * outSlot);
    for (std::uint64_t i = 0; i < n; ++i) {
      if (!files_->DecodeSlot(r + i, in.data() + i * old.SlotSize(), payload)) continue;
      if (sameLayout) {
        newPayload.assign(payload.begin(), payload.end());
        for (const FieldDescriptor& f : fresh.fields)
          if (f.type == FieldType::AutoInc) {
            Value v = ReadScalar(f, newPayload.data());
            if (v.IsNull()) {
              v = Value::Integer(static_cast<std::int64_t>(nextAutoInc));
              WriteScalar(f, newPayload.data(), v);
            }
            nextAutoInc = std::max<std::uint64_t>(nextAutoInc, static_cast<std::uint64_t>(v.AsInteger()) + 1);
          }
      } else {
        if (mapping) {
          values.assign(fresh.fields.size(), Value::Null());
          mapping->map(oldValues, values);
        } else {
          values.clear();
          for (std::size_t fi = 0; fi < old.fields.size(); ++fi) values.push_back(oldValue(static_cast<int>(fi)));
        }
        std::fill(newPayload.begin(), newPayload.end(), 0);
        for (std::size_t fi = 0; fi < fresh.fields.size(); ++fi) {
          const FieldDescriptor& f = fresh.fields[fi];
          if (copied[fi] >= 0) {
            const FieldDescriptor& o = old.fields[copied[fi]];
            std::memcpy(newPayload.data() + f.offset, payload.data() + o.offset, FieldValueSize(f));
            SetNull(f, newPayload.data(), IsNull(o, payload.data()));
            continue;
          }
          Value v = fi < values.size() ? values[fi] : Value::Null();
          if (f.type == FieldType::AutoInc) {
            if (v.IsNull()) v = Value::Integer(static_cast<std::int64_t>(nextAutoInc));
            nextAutoInc = std::max<std::uint64_t>(nextAutoInc, static_cast<std::uint64_t>(v.AsInteger()) + 1);
          }
          if (IsMemoLike(f.type)) {
            const std::string bytes = v.IsNull() ? std::string() : MemoBytesOf(f, v);
            WriteMemoRef(f, newPayload.data(), bytes.empty() ? MemoRef{} : memo->Write(bytes));
          } else {
            WriteScalar(f, newPayload.data(), v);
          }
        }
      }
      ++written;
      const std::size_t at = outBuffer.size();
      outBuffer.resize(at + outSlot);
      outBuffer[at] = TableHeader::kLive;
      if (cipher) cipher->Seal(newPayload.data(), newPayload.size(), written, &outBuffer[at + 1]);
      else std::memcpy(&outBuffer[at + 1], newPayload.data(), newPayload.size());
    }
    if (!outBuffer.empty()) out.WriteAt(fresh.SlotOffset(written - outBuffer.size() / outSlot + 1), outBuffer.data(), outBuffer.size());
  }
  fresh.counters.slots = fresh.counters.live = written;
  fresh.counters.nextAutoInc = nextAutoInc;
  {
    const auto counters = fresh.EncodeCounters();
    out.WriteAt(TableHeader::kCountersOffset, counters.data(), counters.size());
  }
  out.Sync();
  if (memo) memo->Sync();

  // The index of the new table, built from the new file.
  if (!fresh.tags.empty()) {
    auto index = index::IndexFile::Create(paths.Temp(paths.adi), cipher ? &*cipher : nullptr, fresh.counters.change);
    std::vector<std::uint8_t> buffer, key;
    for (const TagDefinition& tag : fresh.tags) {
      const KeyDefinition def = ParseKeyExpression(fresh, tag.expression, tag.options);
      const index::TagId id = index.AddTag({tag.name, tag.expression, tag.options, static_cast<std::uint16_t>(def.length), tag.pageSize});
      auto builder = index.BuildTag(id);
      key.resize(def.length);
      for (std::uint64_t r = 1; r <= written; r += kChunk) {
        const std::uint64_t n = std::min<std::uint64_t>(kChunk, written - r + 1);
        buffer.resize(n * outSlot);
        out.ReadExactAt(fresh.SlotOffset(r), buffer.data(), buffer.size());
        for (std::uint64_t i = 0; i < n; ++i) {
          const std::uint8_t* slot = buffer.data() + i * outSlot;
          if (cipher) {
            if (!cipher->Open(slot + 1, fresh.payloadSize + Cipher::kOverhead, r + i, newPayload.data()))
              Fail(code::kIoError, "the new file of table " + Name() + " does not read back");
          } else {
            std::memcpy(newPayload.data(), slot + 1, fresh.payloadSize);
          }
          EncodeRecordKey(def, fresh, newPayload.data(), key.data());
          builder.Add(key, r + i);
        }
      }
      builder.Finish();
    }
    index.MarkCleanUnpublished(fresh.counters.change);
  }

  // Commit: the marker says the new files are complete; from here on the next open finishes the change. Its
  // existence is what counts, made durable by the folder sync together with the new files' names; its text is
  // not synced, because a roll forward reads whether the memo file goes from the new table file itself.
  kv::fs::File newLock = kv::fs::File::Open(tempAdt, kv::fs::File::Mode::ReadWrite);
  newLock.TryLock(kOpenLockByte, 1, true);  // a new file: no one else can hold it
  {
    kv::fs::File marker = kv::fs::File::Open(paths.Marker(), kv::fs::File::Mode::CreateOrTruncate);
    const std::string text = std::string("rewrite\n") + (fresh.memoGeneration == 0 && old.memoGeneration ? "drop-memo\n" : "");
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
  files_->EnsureIndex(true);
  order_ = std::min(order_, static_cast<int>(files_->Header().tags.size()) - 1);
  SetOrder(order_);
  payload_.clear();
  loaded_ = false;
  locks_.clear();
  GotoTop();
}

}  // namespace ace::storage
