#include "ace/storage/table_header.h"

#include <cstring>
#include <set>

#include "ace/core/error.h"
#include "ace/storage/bytes.h"
#include "support/strings.h"

namespace ace::storage {

namespace {

constexpr std::uint8_t kMagic[8] = {'K', 'V', '8', 'T', 'A', 'B', 'L', 0x1A};

bool ValidType(std::uint8_t t) { return t >= 1 && t <= 14; }

std::uint32_t StaticChecksum(const std::uint8_t* b, std::uint32_t descriptorsEnd) {
  std::uint8_t fixed[80];
  std::memcpy(fixed, b, 80);
  std::memset(fixed + 72, 0, 4);  // the checksum itself
  std::uint32_t crc = Crc32({fixed, 80});
  crc ^= Crc32({b + TableHeader::kFixedSize, descriptorsEnd - TableHeader::kFixedSize}) * 0x9E3779B1u;
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
  std::vector<std::uint8_t> b(8, 0);
  for (const TagDefinition& t : tags) {
    if (t.name.size() > 255 || t.expression.size() > 65535) return std::nullopt;
    b.push_back(static_cast<std::uint8_t>(t.name.size()));
    b.insert(b.end(), t.name.begin(), t.name.end());
    std::uint8_t n[2];
    PutU16(n, static_cast<std::uint16_t>(t.expression.size()));
    b.insert(b.end(), n, n + 2);
    b.insert(b.end(), t.expression.begin(), t.expression.end());
    std::uint8_t o[6];
    PutU32(o, t.options);
    PutU16(o + 4, t.pageSize);
    b.insert(b.end(), o, o + 6);
  }
  if (b.size() > tagAreaSize) return std::nullopt;
  PutU32(&b[0], static_cast<std::uint32_t>(tags.size()));
  PutU32(&b[4], Crc32({b.data() + 8, b.size() - 8}));
  b.resize(tagAreaSize, 0);
  return b;
}

std::vector<std::uint8_t> TableHeader::EncodeCounters() const {
  std::vector<std::uint8_t> b(kCountersSize, 0);
  PutU64(&b[0], counters.slots);
  PutU64(&b[8], counters.live);
  PutU64(&b[16], counters.nextAutoInc);
  PutU64(&b[24], counters.change);
  PutU32(&b[32], counters.busy ? 1u : 0u);
  PutU32(&b[36], Crc32({b.data(), 36}));
  return b;
}

bool TableHeader::DecodeCounters(const std::uint8_t* c, TableCounters& out) {
  if (Crc32({c, 36}) != GetU32(c + 36)) return false;
  out.slots = GetU64(c);
  out.live = GetU64(c + 8);
  out.nextAutoInc = GetU64(c + 16);
  out.change = GetU64(c + 24);
  out.busy = (GetU32(c + 32) & 1u) != 0;
  return true;
}

std::vector<std::uint8_t> TableHeader::Encode() const {
  std::vector<std::uint8_t> b(headerSize, 0);
  std::memcpy(&b[0], kMagic, 8);
  PutU32(&b[8], kVersion);
  PutU32(&b[12], headerSize);
  PutU32(&b[16], static_cast<std::uint32_t>(fields.size()));
  PutU32(&b[20], payloadSize);
  PutU32(&b[24], SlotSize());
  b[28] = tableType;
  b[29] = charType;
  b[30] = encrypted ? 1 : 0;
  PutU64(&b[32], memoGeneration);
  std::memcpy(&b[40], salt.data(), salt.size());
  std::memcpy(&b[56], check.data(), check.size());
  PutU32(&b[76], tagAreaSize);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::uint8_t* d = &b[kFixedSize + i * kDescriptorSize];
    const FieldDescriptor& f = fields[i];
    PutText(d, kMaxNameLength, f.name);
    d[128] = static_cast<std::uint8_t>(f.type);
    PutU16(d + 130, f.length);
    PutU16(d + 132, f.decimals);
    PutU16(d + 134, f.nullBit);
    PutU32(d + 136, f.offset);
  }
  // The static checksum covers the fixed part and the field descriptors; the counters and the tags have their own.
  PutU32(&b[72], StaticChecksum(b.data(), TagAreaOffset()));
  const auto tagArea = EncodeTagArea();
  if (!tagArea) Fail(code::kInternal, "the index tags do not fit the table header");
  std::memcpy(&b[TagAreaOffset()], tagArea->data(), tagArea->size());
  const auto c = EncodeCounters();
  std::memcpy(&b[kCountersOffset], c.data(), c.size());
  return b;
}

std::uint32_t TableHeader::PeekHeaderSize(const std::uint8_t* bytes) {
  if (std::memcmp(bytes, kMagic, 8) != 0) return 0;
  return GetU32(bytes + 12);
}

TableHeader TableHeader::Decode(const std::vector<std::uint8_t>& b, const std::filesystem::path& file,
                                bool& countersValid) {
  const auto bad = [&file](const std::string& why) {
    Fail(code::kCorruptFile, "table file " + file.string() + " is damaged: " + why);
  };
  if (b.size() < kFixedSize || std::memcmp(b.data(), kMagic, 8) != 0) bad("it is not a table file of this engine");
  const std::uint32_t version = GetU32(&b[8]);
  if (version != kVersion) bad("format version " + std::to_string(version) + " is not known");
  TableHeader h;
  h.headerSize = GetU32(&b[12]);
  const std::uint32_t count = GetU32(&b[16]);
  if (count == 0 || count > kMaxFields) bad("field count " + std::to_string(count));
  h.tagAreaSize = GetU32(&b[76]);
  if (h.headerSize != b.size() || static_cast<std::uint64_t>(kFixedSize) + count * kDescriptorSize + h.tagAreaSize != h.headerSize ||
      h.tagAreaSize < 8)
    bad("header size");
  if (StaticChecksum(b.data(), kFixedSize + count * kDescriptorSize) != GetU32(&b[72])) bad("header checksum does not match");
  h.payloadSize = GetU32(&b[20]);
  h.tableType = b[28];
  h.charType = b[29];
  h.encrypted = b[30] != 0;
  h.memoGeneration = GetU64(&b[32]);
  std::memcpy(h.salt.data(), &b[40], h.salt.size());
  std::memcpy(h.check.data(), &b[56], h.check.size());
  std::uint32_t expectedOffset = (count + 7) / 8;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* d = &b[kFixedSize + i * kDescriptorSize];
    FieldDescriptor f;
    f.name = GetText(d, kMaxNameLength);
    if (!ValidType(d[128])) bad("field " + std::to_string(i + 1) + " has an unknown type");
    f.type = static_cast<FieldType>(d[128]);
    f.length = GetU16(d + 130);
    f.decimals = GetU16(d + 132);
    f.nullBit = GetU16(d + 134);
    f.offset = GetU32(d + 136);
    if (f.name.empty() || f.offset != expectedOffset || f.nullBit != i) bad("field " + std::to_string(i + 1) + " layout");
    expectedOffset += FieldValueSize(f);
    h.fields.push_back(std::move(f));
  }
  if (expectedOffset != h.payloadSize || GetU32(&b[24]) != h.SlotSize()) bad("record size");
  const std::uint8_t* t = &b[h.TagAreaOffset()];
  const std::uint32_t tagCount = GetU32(t);
  std::size_t pos = 8;
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
    need(exprLength + 6);
    tag.expression.assign(reinterpret_cast<const char*>(t + pos), exprLength);
    pos += exprLength;
    tag.options = GetU32(t + pos);
    tag.pageSize = GetU16(t + pos + 4);
    pos += 6;
    h.tags.push_back(std::move(tag));
  }
  if (Crc32({t + 8, pos - 8}) != GetU32(t + 4)) bad("index tag list checksum does not match");
  countersValid = DecodeCounters(&b[kCountersOffset], h.counters);
  return h;
}

}  // namespace ace::storage
