// Changes to a tag's tree: inserting and erasing entries, splitting, merging and sharing nodes.
#include "ace/index/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "ace/core/error.h"
#include "ace/index/io.h"
#include "ace/index/impl.h"
#include "ace/index/node_items.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::index {

namespace fmt = format;

// ---- Impl: changing entries ----

std::uint64_t IndexFile::Impl::Descend(const Tag& tag, const std::uint8_t* key, std::uint64_t recno,
                                       std::vector<Step>& trail) {
  std::uint64_t page = tag.root;
  for (unsigned level = tag.height - 1u; level > 0; --level) {
    Pager::Ref node = Node(tag, page, level);
    const std::uint32_t slot = InnerSlot(node.Data(), tag, key, recno);
    trail.push_back({page, slot});
    page = ChildAt(node.Data(), tag, slot);
  }
  return page;
}

void IndexFile::Impl::RefuseHeldKey(const Tag& tag, const std::uint8_t* key) {
  const auto pos = Bound(tag, key, 0, false);
  if (!pos) return;
  Pager::Ref leaf = Node(tag, pos->leaf, 0);
  const std::uint8_t* entry = LeafEntry(leaf.Data(), tag, pos->slot);
  if (std::memcmp(entry, key, tag.keyLength) == 0)
    UniqueViolation(tag, key, "is already held by record " + std::to_string(GetU64(entry + tag.keyLength)));
}

void IndexFile::Impl::Insert(Tag& tag, const std::uint8_t* key, std::uint64_t recno) {
  const std::size_t k = tag.keyLength;
  const std::size_t st = tag.stride;
  if (tag.Unique()) RefuseHeldKey(tag, key);
  std::vector<Step> trail;
  Pager::Ref leaf = Node(tag, Descend(tag, key, recno, trail), 0);
  std::uint8_t* d = leaf.Data();
  const std::uint32_t count = Count(d);
  const std::uint32_t idx = LeafSlot(d, tag, key, recno, false);
  if (idx < count && CompareEntry(LeafEntry(d, tag, idx), key, recno, k) == 0)
    Fail(code::kInvalidArgument, TagText(tag) + " already holds key '" + PrintableKey({key, k}) +
                                     "' for record " + std::to_string(recno));
  EnsureWritable();

  if (count < tag.leafCap) {
    std::memmove(LeafEntry(d, tag, idx + 1), LeafEntry(d, tag, idx), (count - idx) * st);
    std::memcpy(LeafEntry(d, tag, idx), key, k);
    PutU64(LeafEntry(d, tag, idx) + k, recno);
    SetCount(d, count + 1);
    leaf.MarkDirty();
    ++tag.count;
    Changed(tag);
    return;
  }
  // Appending past the last entry of the last leaf (records added in key order): then every step of the trail
  // took the last child too, and the splits keep their left pages full instead of leaving two half-empty ones.
  const bool append = Link1(d) == 0 && idx == count;
  Split split = SplitLeaf(tag, leaf, idx, key, recno, append);
  ++tag.count;
  Changed(tag);
  CarryUp(tag, trail, std::move(split), append);
}

IndexFile::Impl::Split IndexFile::Impl::SplitLeaf(const Tag& tag, Pager::Ref& leaf, std::uint32_t idx,
                                                  const std::uint8_t* key, std::uint64_t recno, bool append) {
  const std::size_t k = tag.keyLength;
  const std::size_t st = tag.stride;
  std::uint8_t* d = leaf.Data();
  const std::uint32_t count = Count(d);
  const std::uint32_t total = count + 1;
  std::vector<std::uint8_t> all(total * st);
  std::memcpy(all.data(), LeafEntry(d, tag, 0), idx * st);
  std::memcpy(all.data() + idx * st, key, k);
  PutU64(all.data() + idx * st + k, recno);
  std::memcpy(all.data() + (idx + 1) * st, LeafEntry(d, tag, idx), (count - idx) * st);
  const std::uint64_t oldNext = Link1(d);
  const std::uint32_t leftCount = append ? count : total / 2;
  const std::uint64_t rightPage = Allocate();
  {
    Pager::Ref right = NewNode(tag, rightPage, 0);
    std::uint8_t* rd = right.Data();
    std::memcpy(LeafEntry(rd, tag, 0), all.data() + leftCount * st, (total - leftCount) * st);
    SetCount(rd, total - leftCount);
    SetLink1(rd, oldNext);
    SetLink2(rd, leaf.Page());
  }
  if (oldNext != 0) {
    Pager::Ref next = Node(tag, oldNext, 0);
    SetLink2(next.Data(), rightPage);
    next.MarkDirty();
  }
  std::memcpy(LeafEntry(d, tag, 0), all.data(), leftCount * st);
  std::memset(LeafEntry(d, tag, leftCount), 0, (tag.leafCap - leftCount) * st);
  SetCount(d, leftCount);
  SetLink1(d, rightPage);
  leaf.MarkDirty();
  leaf.Release();
  Split split;
  split.separator.assign(all.begin() + static_cast<std::ptrdiff_t>(leftCount * st),
                         all.begin() + static_cast<std::ptrdiff_t>((leftCount + 1) * st));
  split.right = rightPage;
  return split;
}

void IndexFile::Impl::CarryUp(Tag& tag, std::vector<Step>& trail, Split split, bool append) {
  const std::size_t st = tag.stride;
  for (unsigned level = 1;; ++level) {
    if (trail.empty()) {
      GrowRoot(tag, level, split);
      return;
    }
    const Step step = trail.back();
    trail.pop_back();
    Pager::Ref node = Node(tag, step.page, level);
    std::uint8_t* nd = node.Data();
    const std::uint32_t n = Count(nd);
    if (n < tag.innerCap) {
      std::memmove(InnerItem(nd, tag, step.slot + 1), InnerItem(nd, tag, step.slot),
                   (n - step.slot) * tag.innerStride);
      std::memcpy(InnerItem(nd, tag, step.slot), split.separator.data(), st);
      PutU64(InnerItem(nd, tag, step.slot) + st, split.right);
      SetCount(nd, n + 1);
      node.MarkDirty();
      return;
    }
    split = SplitInner(tag, node, level, step.slot, split, append);
  }
}

void IndexFile::Impl::GrowRoot(Tag& tag, unsigned level, const Split& split) {
  if (tag.height >= kMaxHeight) Fail(code::kInternal, TagText(tag) + " cannot grow taller");
  const std::uint64_t rootPage = Allocate();
  Pager::Ref root = NewNode(tag, rootPage, level);
  std::uint8_t* rd = root.Data();
  SetLink1(rd, tag.root);
  std::memcpy(InnerItem(rd, tag, 0), split.separator.data(), tag.stride);
  PutU64(InnerItem(rd, tag, 0) + tag.stride, split.right);
  SetCount(rd, 1);
  tag.root = rootPage;
  ++tag.height;
}

IndexFile::Impl::Split IndexFile::Impl::SplitInner(const Tag& tag, Pager::Ref& node, unsigned level,
                                                   std::uint32_t slot, const Split& below, bool append) {
  const std::size_t st = tag.stride;
  std::uint8_t* nd = node.Data();
  const std::uint32_t n = Count(nd);
  std::vector<std::uint8_t> seps;
  std::vector<std::uint64_t> kids;
  ReadInner(nd, tag, seps, kids);
  seps.insert(seps.begin() + static_cast<std::ptrdiff_t>(slot * st), below.separator.begin(), below.separator.end());
  kids.insert(kids.begin() + slot + 1, below.right);
  const std::size_t sepsTotal = n + 1;
  const std::size_t m = append ? sepsTotal - 2 : sepsTotal / 2;  // separators kept on the left
  const std::uint64_t newPage = Allocate();
  {
    Pager::Ref fresh = NewNode(tag, newPage, level);
    WriteInner(fresh.Data(), tag, seps, kids, m + 1, sepsTotal - 1 - m);
  }
  WriteInner(nd, tag, seps, kids, 0, m);
  node.MarkDirty();
  Split split;
  split.separator.assign(seps.begin() + static_cast<std::ptrdiff_t>(m * st),
                         seps.begin() + static_cast<std::ptrdiff_t>((m + 1) * st));
  split.right = newPage;
  return split;
}

bool IndexFile::Impl::Erase(Tag& tag, const std::uint8_t* key, std::uint64_t recno) {
  const std::size_t st = tag.stride;
  std::vector<Step> trail;
  Pager::Ref node = Node(tag, Descend(tag, key, recno, trail), 0);
  {
    std::uint8_t* d = node.Data();
    const std::uint32_t count = Count(d);
    const std::uint32_t idx = LeafSlot(d, tag, key, recno, false);
    if (idx >= count || CompareEntry(LeafEntry(d, tag, idx), key, recno, tag.keyLength) != 0) return false;
    EnsureWritable();
    std::memmove(LeafEntry(d, tag, idx), LeafEntry(d, tag, idx + 1), (count - idx - 1) * st);
    std::memset(LeafEntry(d, tag, count - 1), 0, st);
    SetCount(d, count - 1);
    node.MarkDirty();
    --tag.count;
    Changed(tag);
  }
  Rebalance(tag, trail, std::move(node));
  return true;
}

void IndexFile::Impl::Rebalance(Tag& tag, std::vector<Step>& trail, Pager::Ref node) {
  for (unsigned level = 0;; ++level) {
    const std::uint32_t count = Count(node.Data());
    if (trail.empty()) {
      if (level > 0 && count == 0) {  // the root kept one child: that child is the new root
        const std::uint64_t child = Link1(node.Data());
        const std::uint64_t old = node.Page();
        node.Release();
        Free(old);
        tag.root = child;
        --tag.height;
      }
      return;
    }
    if (count >= (level == 0 ? tag.leafMin : tag.innerMin)) return;
    const Step step = trail.back();
    trail.pop_back();
    Pager::Ref parent = Node(tag, step.page, level + 1);
    // The node and the sibling beside it, left and right of the separator between them.
    Siblings s;
    s.parent = parent.Data();
    if (step.slot < Count(s.parent)) {
      s.sep = step.slot;
      s.left = std::move(node);
      s.right = Node(tag, ChildAt(s.parent, tag, s.sep + 1), level);
    } else {
      s.sep = step.slot - 1;
      s.right = std::move(node);
      s.left = Node(tag, ChildAt(s.parent, tag, s.sep), level);
    }
    if (s.left.Page() == s.right.Page()) pager.Corrupt(step.page, "names one child twice");
    parent.MarkDirty();
    s.left.MarkDirty();
    s.right.MarkDirty();
    s.ld = s.left.Data();
    s.rd = s.right.Data();
    s.lc = Count(s.ld);
    s.rc = Count(s.rd);
    const bool merge = level == 0 ? s.lc + s.rc <= tag.leafCap : s.lc + 1 + s.rc <= tag.innerCap;
    if (!merge) {
      if (level == 0) ShareLeaves(tag, s);
      else ShareInner(tag, s);
      return;
    }
    if (level == 0) MergeLeaves(tag, s);
    else MergeInner(tag, s);
    RemoveItem(s.parent, tag, s.sep);
    node = std::move(parent);
  }
}

void IndexFile::Impl::MergeLeaves(const Tag& tag, Siblings& s) {
  std::memcpy(LeafEntry(s.ld, tag, s.lc), LeafEntry(s.rd, tag, 0), s.rc * tag.stride);
  SetCount(s.ld, s.lc + s.rc);
  const std::uint64_t next = Link1(s.rd);
  SetLink1(s.ld, next);
  const std::uint64_t leftPage = s.left.Page();
  const std::uint64_t rightPage = s.right.Page();
  s.right.Release();
  if (next != 0) {
    Pager::Ref after = Node(tag, next, 0);
    SetLink2(after.Data(), leftPage);
    after.MarkDirty();
  }
  Free(rightPage);
}

void IndexFile::Impl::ShareLeaves(const Tag& tag, Siblings& s) {
  const std::size_t st = tag.stride;
  const std::uint32_t total = s.lc + s.rc;
  const std::uint32_t newLeft = total / 2;
  if (s.lc > newLeft) {
    const std::uint32_t moved = s.lc - newLeft;
    std::memmove(LeafEntry(s.rd, tag, moved), LeafEntry(s.rd, tag, 0), s.rc * st);
    std::memcpy(LeafEntry(s.rd, tag, 0), LeafEntry(s.ld, tag, newLeft), moved * st);
    std::memset(LeafEntry(s.ld, tag, newLeft), 0, moved * st);
  } else {
    const std::uint32_t moved = newLeft - s.lc;
    std::memcpy(LeafEntry(s.ld, tag, s.lc), LeafEntry(s.rd, tag, 0), moved * st);
    std::memmove(LeafEntry(s.rd, tag, 0), LeafEntry(s.rd, tag, moved), (s.rc - moved) * st);
    std::memset(LeafEntry(s.rd, tag, s.rc - moved), 0, moved * st);
  }
  SetCount(s.ld, newLeft);
  SetCount(s.rd, total - newLeft);
  std::memcpy(InnerItem(s.parent, tag, s.sep), LeafEntry(s.rd, tag, 0), st);
}

void IndexFile::Impl::MergeInner(const Tag& tag, Siblings& s) {
  const std::size_t st = tag.stride;
  std::memcpy(InnerItem(s.ld, tag, s.lc), InnerItem(s.parent, tag, s.sep), st);
  PutU64(InnerItem(s.ld, tag, s.lc) + st, Link1(s.rd));
  std::memcpy(InnerItem(s.ld, tag, s.lc + 1), InnerItem(s.rd, tag, 0), s.rc * tag.innerStride);
  SetCount(s.ld, s.lc + 1 + s.rc);
  const std::uint64_t rightPage = s.right.Page();
  s.right.Release();
  Free(rightPage);
}

void IndexFile::Impl::ShareInner(const Tag& tag, Siblings& s) {
  const std::size_t st = tag.stride;
  std::vector<std::uint8_t> seps;
  std::vector<std::uint64_t> kids;
  ReadInner(s.ld, tag, seps, kids);
  const std::uint8_t* parentSep = InnerItem(s.parent, tag, s.sep);
  seps.insert(seps.end(), parentSep, parentSep + st);
  ReadInner(s.rd, tag, seps, kids);
  const std::size_t total = s.lc + 1 + s.rc;
  const std::size_t a = total / 2;
  WriteInner(s.ld, tag, seps, kids, 0, a);
  std::memcpy(InnerItem(s.parent, tag, s.sep), seps.data() + a * st, st);
  WriteInner(s.rd, tag, seps, kids, a + 1, total - 1 - a);
}

}  // namespace ace::index
