#include "ace/storage/table_header.h"

#include <cstring>
#include <set>

#include "ace/core/error.h"
#include "ace/core/bytes.h"
#include "ace/core/checksum.h"
#include "support/strings.h"

namespace ace::storage {

namespace {

namespace fmt = table_format;
namespace hdr = table_format::header;
namespace desc = table_format::descriptor;
namespace ctr = table_format::counters;
namespace area = table_format::tag_area;

bool ValidType(std::uint8_t t) { return t >= 1 && t <= 14; }

// The fixed part before the counters (the checksum's own bytes taken as zero), combined with the descriptors.
std::uint32_t StaticChecksum(const std::uint8_t* b, std::uint32_t descriptorsEnd) {
  std::uint8_t fixed[hdr::kStaticEnd];
  std::memcpy(fixed, b, hdr::kStaticEnd);
  std::memset(fixed + hdr::kStaticCrc, 0, 4);
  std::uint32_t crc = Crc32({fixed, hdr::kStaticEnd});
  crc ^= Crc32({b + hdr::kSize, descriptorsEnd - hdr::kSize}) * 0x9E3779B1u;
  return crc;
}

}  // namespace

TableHeader TableHeader::ForFields(const std::vector<FieldSpec>& fields, std::uint32_t tagArea) {
  if (fields.empty()) Fail(code::kBadFieldDefinition, "a table needs at least one field");
  if (fields.size() > kMaxFields) Fail(code::kBadFieldDefinition, "a table holds at most 4000 fields");
  TableHeader header;
  std::set<std::string> names;
  std::uint32_t offset = static_cast<std::uint32_t>((fields.size() + 7) / 8);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldSpec& definition = fields[i];
    if (definition.name.empty()) Fail(code::kBadFieldDefinition, "field " + std::to_string(i + 1) + " has no name");
    if (definition.name.size() > kMaxNameLength)
      Fail(code::kBadFieldDefinition, "field name '" + definition.name + "' is longer than 128 characters");
    if (!names.insert(kv::UpperCase(definition.name)).second)
      Fail(code::kBadFieldDefinition, "field '" + definition.name + "' is defined twice");
    if ((definition.type == FieldType::Char || definition.type == FieldType::Raw) && (definition.length == 0 || definition.length > 65000))
      Fail(code::kBadFieldDefinition, "field '" + definition.name + "' needs a length from 1 to 65000");
    FieldDescriptor d;
    static_cast<FieldSpec&>(d) = definition;
    if (definition.type != FieldType::Char && definition.type != FieldType::Raw) d.length = 0;
    d.offset = offset;
    d.nullBit = static_cast<std::uint16_t>(i);
    offset += FieldValueSize(d);
    if (offset > kMaxPayload) Fail(code::kBadFieldDefinition, "the record is longer than 1 MiB");
    header.fields.push_back(d);
  }
  header.payloadSize = offset;
  header.tagAreaSize = tagArea;
  header.tableId = NewTableId();
  const std::uint32_t raw = kFixedSize + static_cast<std::uint32_t>(fields.size()) * kDescriptorSize + tagArea;
  header.headerSize = (raw + 511) / 512 * 512;
  header.tagAreaSize = header.headerSize - header.TagAreaOffset();
  return header;
}

bool TableHeader::HasMemo() const {
  for (const auto& f : fields)
    if (IsMemoLike(f.type)) return true;
  return false;
}

int TableHeader::FindField(std::string_view name) const {
  const std::size_t n = fields.size();
  const std::size_t last = fieldHint.last.load(std::memory_order_relaxed);
  // Callers mostly spell a name as it was defined: an exact compare first, the case-blind one after.
  for (const std::size_t i : {last + 1, last})
    if (i < n && (fields[i].name == name || kv::SameText(fields[i].name, name))) {
      fieldHint.last.store(static_cast<std::uint32_t>(i), std::memory_order_relaxed);
      return static_cast<int>(i);
    }
  for (const bool exact : {true, false})
    for (std::size_t i = 0; i < n; ++i)
      if (exact ? fields[i].name == name : kv::SameText(fields[i].name, name)) {
        fieldHint.last.store(static_cast<std::uint32_t>(i), std::memory_order_relaxed);
        return static_cast<int>(i);
      }
  return -1;
}

int TableHeader::FindTag(std::string_view name) const {
  for (std::size_t i = 0; i < tags.size(); ++i)
    if (kv::SameText(tags[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::optional<std::vector<std::uint8_t>> TableHeader::EncodeTagArea() const {
  std::vector<std::uint8_t> b(area::kHead, 0);
  for (const TagDefinition& t : tags) {
    if (t.name.size() > 255 || t.expression.size() > 65535) return std::nullopt;
    b.push_back(static_cast<std::uint8_t>(t.name.size()));
    b.insert(b.end(), t.name.begin(), t.name.end());
    std::uint8_t n[2];
    PutU16(n, static_cast<std::uint16_t>(t.expression.size()));
    b.insert(b.end(), n, n + 2);
    b.insert(b.end(), t.expression.begin(), t.expression.end());
    std::uint8_t o[area::kEntryTail];
    PutU32(o, t.options);
    PutU16(o + 4, t.pageSize);
    b.insert(b.end(), o, o + area::kEntryTail);
  }
  if (b.size() > tagAreaSize) return std::nullopt;
  PutU32(&b[area::kCount], static_cast<std::uint32_t>(tags.size()));
  PutU32(&b[area::kCrc], Crc32({b.data() + area::kHead, b.size() - area::kHead}));
  b.resize(tagAreaSize, 0);
  return b;
}

std::vector<std::uint8_t> TableHeader::EncodeCounters() const {
  std::vector<std::uint8_t> b(kCountersSize, 0);
  PutU64(&b[ctr::kSlots], counters.slots);
  PutU64(&b[ctr::kLive], counters.live);
  PutU64(&b[ctr::kNextAutoInc], counters.nextAutoInc);
  PutU64(&b[ctr::kChange], counters.change);
  PutU32(&b[ctr::kFlags], counters.busy ? ctr::kFlagBusy : 0u);
  PutU32(&b[ctr::kCrc], Crc32({b.data(), ctr::kCrc}));
  return b;
}

bool TableHeader::DecodeCounters(const std::uint8_t* c, TableCounters& out) {
  if (Crc32({c, ctr::kCrc}) != GetU32(c + ctr::kCrc)) return false;
  out.slots = GetU64(c + ctr::kSlots);
  out.live = GetU64(c + ctr::kLive);
  out.nextAutoInc = GetU64(c + ctr::kNextAutoInc);
  out.change = GetU64(c + ctr::kChange);
  out.busy = (GetU32(c + ctr::kFlags) & ctr::kFlagBusy) != 0;
  return true;
}

std::vector<std::uint8_t> TableHeader::Encode() const {
  std::vector<std::uint8_t> b(headerSize, 0);
  std::memcpy(&b[hdr::kMagic], fmt::kMagic, sizeof fmt::kMagic);
  PutU32(&b[hdr::kVersion], kVersion);
  PutU32(&b[hdr::kHeaderSize], headerSize);
  PutU32(&b[hdr::kFieldCount], static_cast<std::uint32_t>(fields.size()));
  PutU32(&b[hdr::kPayloadSize], payloadSize);
  PutU32(&b[hdr::kSlotSize], SlotSize());
  b[hdr::kTableType] = tableType;
  b[hdr::kCharType] = charType;
  b[hdr::kFlags] = static_cast<std::uint8_t>(
      encrypted ? hdr::kFlagEncrypted | (statusBound ? hdr::kFlagStatusBound : 0) | (splitSalt ? hdr::kFlagSplitSalt : 0)
                : 0);
  PutU64(&b[hdr::kMemoGeneration], memoGeneration);
  PutU64(&b[hdr::kTableId], tableId);
  std::memcpy(&b[hdr::kSalt], salt.data(), salt.size());
  std::memcpy(&b[hdr::kCheck], check.data(), check.size());
  PutU32(&b[hdr::kTagAreaSize], tagAreaSize);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::uint8_t* d = &b[kFixedSize + i * kDescriptorSize];
    const FieldDescriptor& f = fields[i];
    PutText(d + desc::kName, desc::kNameBytes, f.name);
    d[desc::kType] = static_cast<std::uint8_t>(f.type);
    PutU16(d + desc::kLength, f.length);
    PutU16(d + desc::kDecimals, f.decimals);
    PutU16(d + desc::kNullBit, f.nullBit);
    PutU32(d + desc::kOffset, f.offset);
  }
  // The static checksum covers the fixed part and the field descriptors; the counters and the tags have their own.
  PutU32(&b[hdr::kStaticCrc], StaticChecksum(b.data(), TagAreaOffset()));
  const auto tagArea = EncodeTagArea();
  if (!tagArea) Fail(code::kInternal, "the index tags do not fit the table header");
  std::memcpy(&b[TagAreaOffset()], tagArea->data(), tagArea->size());
  const auto c = EncodeCounters();
  std::memcpy(&b[kCountersOffset], c.data(), c.size());
  return b;
}

std::uint64_t TableHeader::NewTableId() {
  const Cipher::Salt random = Cipher::NewSalt();
  std::uint64_t id = 0;
  std::memcpy(&id, random.data(), sizeof id);
  return id == 0 ? 1 : id;
}

std::uint32_t TableHeader::PeekHeaderSize(const std::uint8_t* bytes) {
  if (std::memcmp(bytes + hdr::kMagic, fmt::kMagic, sizeof fmt::kMagic) != 0) return 0;
  return GetU32(bytes + hdr::kHeaderSize);
}

TableHeader TableHeader::Decode(const std::vector<std::uint8_t>& b, const std::filesystem::path& file,
                                bool& countersValid) {
  const auto bad = [&file](const std::string& why) {
    Fail(code::kCorruptFile, "table file " + file.string() + " is damaged: " + why);
  };
  if (b.size() < kFixedSize || std::memcmp(&b[hdr::kMagic], fmt::kMagic, sizeof fmt::kMagic) != 0)
    bad("it is not a table file of this engine");
  const std::uint32_t version = GetU32(&b[hdr::kVersion]);
  if (version != kVersion) bad("format version " + std::to_string(version) + " is not known");
  TableHeader h;
  h.headerSize = GetU32(&b[hdr::kHeaderSize]);
  const std::uint32_t count = GetU32(&b[hdr::kFieldCount]);
  if (count == 0 || count > kMaxFields) bad("field count " + std::to_string(count));
  h.tagAreaSize = GetU32(&b[hdr::kTagAreaSize]);
  if (h.headerSize != b.size() || static_cast<std::uint64_t>(kFixedSize) + count * kDescriptorSize + h.tagAreaSize != h.headerSize ||
      h.tagAreaSize < area::kHead)
    bad("header size");
  if (StaticChecksum(b.data(), kFixedSize + count * kDescriptorSize) != GetU32(&b[hdr::kStaticCrc]))
    bad("header checksum does not match");
  h.payloadSize = GetU32(&b[hdr::kPayloadSize]);
  h.tableType = b[hdr::kTableType];
  h.charType = b[hdr::kCharType];
  const std::uint8_t flags = b[hdr::kFlags];
  if ((flags & ~(hdr::kFlagEncrypted | hdr::kFlagStatusBound | hdr::kFlagSplitSalt)) != 0 ||
      (flags != 0 && (flags & hdr::kFlagEncrypted) == 0))
    bad("unknown flags " + std::to_string(flags));
  h.encrypted = (flags & hdr::kFlagEncrypted) != 0;
  h.statusBound = !h.encrypted || (flags & hdr::kFlagStatusBound) != 0;
  h.splitSalt = (flags & hdr::kFlagSplitSalt) != 0;
  h.memoGeneration = GetU64(&b[hdr::kMemoGeneration]);
  h.tableId = GetU64(&b[hdr::kTableId]);
  std::memcpy(h.salt.data(), &b[hdr::kSalt], h.salt.size());
  std::memcpy(h.check.data(), &b[hdr::kCheck], h.check.size());
  std::uint32_t expectedOffset = (count + 7) / 8;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* d = &b[kFixedSize + i * kDescriptorSize];
    FieldDescriptor f;
    f.name = GetText(d + desc::kName, desc::kNameBytes);
    if (!ValidType(d[desc::kType])) bad("field " + std::to_string(i + 1) + " has an unknown type");
    f.type = static_cast<FieldType>(d[desc::kType]);
    f.length = GetU16(d + desc::kLength);
    f.decimals = GetU16(d + desc::kDecimals);
    f.nullBit = GetU16(d + desc::kNullBit);
    f.offset = GetU32(d + desc::kOffset);
    if (f.name.empty() || f.offset != expectedOffset || f.nullBit != i) bad("field " + std::to_string(i + 1) + " layout");
    expectedOffset += FieldValueSize(f);
    h.fields.push_back(std::move(f));
  }
  if (expectedOffset != h.payloadSize || GetU32(&b[hdr::kSlotSize]) != h.SlotSize()) bad("record size");
  const std::uint8_t* t = &b[h.TagAreaOffset()];
  const std::uint32_t tagCount = GetU32(t + area::kCount);
  std::size_t pos = area::kHead;
  const auto need = [&](std::size_t n) { if (pos + n > h.tagAreaSize) bad("index tag list"); };
  for (std::uint32_t i = 0; i < tagCount; ++i) {
    TagDefinition tag;
    need(1);
    const std::size_t nameLength = t[pos++];
    need(nameLength + 2);
    tag.name.assign(reinterpret_cast<const char*>(t + pos), nameLength);
    pos += nameLength;
    const std::size_t exprLength = GetU16(t + pos);
    pos += 2;
    need(exprLength + area::kEntryTail);
    tag.expression.assign(reinterpret_cast<const char*>(t + pos), exprLength);
    pos += exprLength;
    tag.options = GetU32(t + pos);
    tag.pageSize = GetU16(t + pos + 4);
    pos += area::kEntryTail;
    h.tags.push_back(std::move(tag));
  }
  if (Crc32({t + area::kHead, pos - area::kHead}) != GetU32(t + area::kCrc))
    bad("index tag list checksum does not match");
  countersValid = DecodeCounters(&b[kCountersOffset], h.counters);
  return h;
}

}  // namespace ace::storage
