#pragma once
// Page I/O of one index file: reads and writes 4096-byte pages through a bounded LRU cache, checks and writes the
// per-page checksum, and seals / opens pages when the file is encrypted. The pager knows nothing of trees; it
// hands out pinned frames (Ref) holding a page's body, and writes changed frames back when they are evicted or
// flushed. Page 0 (the header) never goes through the cache.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ace/core/cipher.h"
#include "platform/file.h"

namespace ace::index {

class Pager {
  struct Frame {
    std::uint64_t page = 0;
    bool dirty = false;
    int pins = 0;
    std::unique_ptr<std::uint8_t[]> data;  // payload: body followed by its 4-byte checksum
  };

 public:
  // A pinned frame: the page stays in the cache (and its bytes stay put) while a Ref to it exists.
  class Ref {
   public:
    Ref() = default;
    Ref(Ref&& other) noexcept : frame_(other.frame_) { other.frame_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
      if (this != &other) {
        Release();
        frame_ = other.frame_;
        other.frame_ = nullptr;
      }
      return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { Release(); }

    explicit operator bool() const { return frame_ != nullptr; }
    std::uint8_t* Data() const { return frame_->data.get(); }
    std::uint64_t Page() const { return frame_->page; }
    void MarkDirty() const { frame_->dirty = true; }
    void Release() {
      if (frame_ != nullptr) --frame_->pins;
      frame_ = nullptr;
    }

   private:
    friend class Pager;
    explicit Ref(Frame* frame) : frame_(frame) { ++frame_->pins; }
    Frame* frame_ = nullptr;
  };

  Pager(std::filesystem::path path, kv::fs::File file, const Cipher* cipher, std::size_t cacheBytes);

  const std::filesystem::path& Path() const { return path_; }
  bool Sealed() const { return cipher_.has_value(); }
  const Cipher* CipherOrNull() const { return cipher_ ? &*cipher_ : nullptr; }
  // Usable bytes of a page body (the checksum and, when sealed, the seal not counted).
  std::size_t BodySize() const { return body_; }

  // The page's body, read from the file and checked when it is not cached. The caller has bounds-checked the
  // page number against the page count.
  Ref Read(std::uint64_t page);
  // A zeroed, changed frame for a page whose old content does not matter (newly allocated or overwritten).
  Ref Fresh(std::uint64_t page);
  // Drops a page from the cache without writing it (the page was freed).
  void Forget(std::uint64_t page);
  // Drops every cached page, changed or not.
  void ForgetAll();
  // Writes every changed page (adjacent pages in one write).
  void FlushDirty();
  bool HasDirty() const;

  // Raw access for the header page and for the file's length.
  void ReadHeader(std::uint8_t* out);  // kPageBytes bytes
  void WriteHeader(const std::uint8_t* data);
  std::uint64_t FileSize();
  void ExtendTo(std::uint64_t size);
  void Sync();
  void Close();

  [[noreturn]] void Corrupt(std::uint64_t page, const std::string& what) const;

 private:
  using Lru = std::list<Frame>;
  Frame* Slot(std::uint64_t page);  // a frame taken from the cold end, or a new one
  void Encode(Frame& frame, std::uint8_t* out);
  void WriteFrame(Frame& frame);

  std::filesystem::path path_;
  kv::fs::File file_;
  std::optional<Cipher> cipher_;
  std::size_t payload_;
  std::size_t body_;
  std::size_t capacity_;  // frames
  Lru lru_;               // front = most recently used
  std::unordered_map<std::uint64_t, Lru::iterator> map_;
  std::vector<std::uint8_t> scratch_;
};

}  // namespace ace::index
