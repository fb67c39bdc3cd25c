#include "ace/index/pager.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "ace/core/error.h"
#include "ace/index/io.h"
#include "ace/index/format.h"
#include "platform/fs.h"

namespace ace::index {

namespace {

constexpr std::size_t kMinFrames = 16;       // a descent pins one page per level plus a few siblings
constexpr std::size_t kFlushRunPages = 64;   // pages gathered into one write by FlushDirty

}  // namespace

Pager::Pager(std::filesystem::path path, kv::fs::File file, const Cipher* cipher, std::size_t cacheBytes)
    : path_(std::move(path)),
      file_(std::move(file)),
      cipher_(cipher != nullptr ? std::optional<Cipher>(*cipher) : std::nullopt),
      payload_(cipher != nullptr ? format::kPageBytes - Cipher::kOverhead : format::kPageBytes),
      body_(payload_ - 4),
      capacity_(std::max(kMinFrames, cacheBytes / format::kPageBytes)),
      scratch_(format::kPageBytes) {
  static_assert(format::kPageBytes - Cipher::kOverhead - 4 == format::kSealedBody);
}

void Pager::Corrupt(std::uint64_t page, const std::string& what) const {
  Fail(code::kCorruptFile,
       "index file '" + path_.string() + "' is damaged: page " + std::to_string(page) + " " + what);
}

Pager::Frame* Pager::Slot(std::uint64_t page) {
  if (lru_.size() >= capacity_) {
    for (auto it = lru_.end(); it != lru_.begin();) {
      --it;
      if (it->pins != 0) continue;
      if (it->dirty) WriteFrame(*it);
      map_.erase(it->page);
      lru_.splice(lru_.begin(), lru_, it);
      it->page = page;
      it->dirty = false;
      return &*it;
    }
    // Every frame is pinned: go over the cap for now; the next insertions evict back down to it.
  }
  lru_.emplace_front();
  Frame& frame = lru_.front();
  frame.page = page;
  frame.data = std::make_unique<std::uint8_t[]>(payload_);
  return &frame;
}

Pager::Ref Pager::Read(std::uint64_t page) {
  if (auto it = map_.find(page); it != map_.end()) {
    lru_.splice(lru_.begin(), lru_, it->second);
    return Ref(&*it->second);
  }
  Frame* frame = Slot(page);
  // Until it is checked the frame is not in the map; on failure it leaves the list again.
  auto drop = [&] { lru_.pop_front(); };
  std::uint8_t* target = cipher_ ? scratch_.data() : frame->data.get();
  std::size_t got = 0;
  try {
    got = Io([&] { return file_.ReadAt(page * format::kPageBytes, target, format::kPageBytes); });
  } catch (...) {
    drop();
    throw;
  }
  if (got != format::kPageBytes) {
    drop();
    Corrupt(page, "lies beyond the end of the file (the file is truncated)");
  }
  if (cipher_ && !cipher_->Open(scratch_.data(), format::kPageBytes, page, frame->data.get())) {
    drop();
    Corrupt(page, "does not open with the file's key (it was changed or moved)");
  }
  const std::uint8_t* data = frame->data.get();
  if (GetU32(data + body_) != format::PageCrc(page, data, body_)) {
    drop();
    Corrupt(page, "fails its checksum");
  }
  map_.emplace(page, lru_.begin());
  return Ref(frame);
}

Pager::Ref Pager::Fresh(std::uint64_t page) {
  Frame* frame = nullptr;
  if (auto it = map_.find(page); it != map_.end()) {
    lru_.splice(lru_.begin(), lru_, it->second);
    frame = &*it->second;
  } else {
    frame = Slot(page);
    map_.emplace(page, lru_.begin());
  }
  std::memset(frame->data.get(), 0, payload_);
  frame->dirty = true;
  return Ref(frame);
}

void Pager::Forget(std::uint64_t page) {
  auto it = map_.find(page);
  if (it == map_.end()) return;
  if (it->second->pins != 0) Fail(code::kInternal, "index page " + std::to_string(page) + " freed while in use");
  lru_.erase(it->second);
  map_.erase(it);
}

void Pager::ForgetAll() {
  map_.clear();
  lru_.clear();
}

void Pager::Encode(Frame& frame, std::uint8_t* out) {
  std::uint8_t* data = frame.data.get();
  PutU32(data + body_, format::PageCrc(frame.page, data, body_));
  if (cipher_)
    cipher_->Seal(data, payload_, frame.page, out);
  else
    std::memcpy(out, data, payload_);
}

void Pager::WriteFrame(Frame& frame) {
  Encode(frame, scratch_.data());
  Io([&] { file_.WriteAt(frame.page * format::kPageBytes, scratch_.data(), format::kPageBytes); });
  frame.dirty = false;
}

bool Pager::HasDirty() const {
  return std::any_of(lru_.begin(), lru_.end(), [](const Frame& f) { return f.dirty; });
}

void Pager::FlushDirty() {
  std::vector<Frame*> dirty;
  for (Frame& frame : lru_)
    if (frame.dirty) dirty.push_back(&frame);
  if (dirty.empty()) return;
  std::sort(dirty.begin(), dirty.end(), [](const Frame* a, const Frame* b) { return a->page < b->page; });
  std::vector<std::uint8_t> run(std::min(dirty.size(), kFlushRunPages) * format::kPageBytes);
  for (std::size_t i = 0; i < dirty.size();) {
    std::size_t n = 0;
    while (i + n < dirty.size() && n < kFlushRunPages && dirty[i + n]->page == dirty[i]->page + n) {
      Encode(*dirty[i + n], run.data() + n * format::kPageBytes);
      ++n;
    }
    Io([&] { file_.WriteAt(dirty[i]->page * format::kPageBytes, run.data(), n * format::kPageBytes); });
    for (std::size_t k = 0; k < n; ++k) dirty[i + k]->dirty = false;
    i += n;
  }
}

void Pager::ReadHeader(std::uint8_t* out) {
  const std::size_t got = Io([&] { return file_.ReadAt(0, out, format::kPageBytes); });
  if (got != format::kPageBytes)
    Fail(code::kCorruptFile, "index file '" + path_.string() + "' is too short to be an index file (" +
                                 std::to_string(got) + " bytes)");
}

void Pager::WriteHeader(const std::uint8_t* data) {
  Io([&] { file_.WriteAt(0, data, format::kPageBytes); });
}

std::uint64_t Pager::FileSize() {
  return Io([&] { return file_.Size(); });
}

void Pager::ExtendTo(std::uint64_t size) {
  Io([&] { file_.Truncate(size); });
}

void Pager::Sync() {
  Io([&] { file_.Sync(); });
}

void Pager::Close() { file_.Close(); }

}  // namespace ace::index
