#include "ace/storage/tag_builder.h"

#include <algorithm>

namespace ace::storage {

void AddTagKeys(const SlotReader& records, const KeyDefinition& key, index::IndexFile::Builder& builder) {
  const TableHeader& header = records.header;
  std::vector<std::uint8_t> buffer, payload, bytes(key.length);
  const std::uint32_t size = header.SlotSize();
  const std::uint64_t chunk = std::max<std::uint64_t>(16, (std::uint64_t{256} << 10) / size);
  for (std::uint64_t r = 1; r <= records.slots; r += chunk) {
    const std::uint64_t n = records.read(r, std::min(chunk, records.slots - r + 1), buffer);
    for (std::uint64_t i = 0; i < n; ++i) {
      const std::uint8_t* slot = buffer.data() + i * size;
      if (!header.encrypted && slot[0] == TableHeader::kLive) {
        EncodeRecordKey(key, header, slot + 1, bytes.data());
      } else {
        if (!records.decode(r + i, slot, payload)) continue;
        EncodeRecordKey(key, header, payload.data(), bytes.data());
      }
      builder.Add(bytes, r + i);
    }
  }
}

void BuildTag(index::IndexFile& index, const TagDefinition& tag, const KeyDefinition& key, const SlotReader& records) {
  const index::TagId id =
      index.AddTag({tag.name, tag.expression, tag.options, static_cast<std::uint16_t>(key.length), tag.pageSize});
  auto builder = index.BuildTag(id);
  AddTagKeys(records, key, builder);
  builder.Finish();
}

}  // namespace ace::storage
