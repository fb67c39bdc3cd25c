#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/temp_folder.h"

namespace kv::fs {
namespace {

TEST(File, PositionedReadWriteBeyondFourGigabytes) {
  testing::TempFolder dir;
  File f = File::Open(dir.Path() / "big.bin", File::Mode::CreateNew);
  const std::uint64_t far = (5ULL << 30) + 3;  // sparse: no real 5 GiB written
  f.WriteAt(far, "tail", 4);
  EXPECT_EQ(f.Size(), far + 4);
  char back[4];
  f.ReadExactAt(far, back, 4);
  EXPECT_EQ(std::string(back, 4), "tail");
  EXPECT_THROW(f.ReadExactAt(far + 2, back, 4), FsError);
  EXPECT_THROW(File::Open(dir.Path() / "big.bin", File::Mode::CreateNew), FsError);
  EXPECT_THROW(File::Open(dir.Path() / "none.bin", File::Mode::ReadOnly), FsError);
}

TEST(File, LocksConflictBetweenHandlesAndProcesses) {
  testing::TempFolder dir;
  File a = File::Open(dir.Path() / "t.adt", File::Mode::CreateNew);
  File b = File::Open(dir.Path() / "t.adt", File::Mode::ReadWrite);
  ASSERT_TRUE(a.TryLock(0, 1, false));
  EXPECT_TRUE(b.TryLock(0, 1, false));   // shared with shared
  EXPECT_TRUE(b.TryLock(10, 1, true));
  EXPECT_FALSE(a.TryLock(10, 1, false));  // exclusive against shared
  b.Unlock(0, 11);
  ASSERT_TRUE(a.TryLock(0, 1, true));
  EXPECT_FALSE(b.TryLock(0, 1, false));  // another handle in this process
  const pid_t child = fork();
  if (child == 0) {
    File c = File::Open(dir.Path() / "t.adt", File::Mode::ReadWrite);
    _exit(c.TryLock(0, 1, false) ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "another process got a lock held exclusively here";
  a.Unlock(0, 1);
  EXPECT_TRUE(b.TryLock(0, 1, true));
}

TEST(File, AHeadViewShowsWhatAnotherProcessWritesAtOnce) {
  testing::TempFolder dir;
  File f = File::Open(dir.Path() / "t.adt", File::Mode::CreateNew);
  f.WriteAt(0, "counters", 8);
  EXPECT_THROW(f.MapHead(9), FsError) << "a view longer than the file";
  FileHead head = f.MapHead(8);
  char seen[8];
  head.Read(0, seen, 8);
  EXPECT_EQ(std::string(seen, 8), "counters");
  const pid_t child = fork();
  if (child == 0) {
    File c = File::Open(dir.Path() / "t.adt", File::Mode::ReadWrite);
    c.WriteAt(4, "XY", 2);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  head.Read(2, seen, 6);
  EXPECT_EQ(std::string(seen, 6), "unXYrs") << "the view still shows the bytes from before the other write";
  f.WriteAt(0, "C", 1);
  f.Close();
  head.Read(0, seen, 1);
  EXPECT_EQ(seen[0], 'C') << "this process's own write, and the view outlives the descriptor";
  EXPECT_THROW(head.Read(7, seen, 2), FsError);
  FileHead moved = std::move(head);
  EXPECT_FALSE(head.IsMapped());
  EXPECT_THROW(head.Read(0, seen, 1), FsError);
  moved.Read(4, seen, 2);
  EXPECT_EQ(std::string(seen, 2), "XY");
}

TEST(File, AScratchFolderGoesWithEverythingInIt) {
  std::filesystem::path kept;
  {
    const ScratchFolder scratch("kv-test-scratch-");
    kept = scratch.Path();
    EXPECT_EQ(kept.filename().string().rfind("kv-test-scratch-", 0), 0u) << kept;
    ASSERT_TRUE(std::filesystem::is_directory(kept));
    const ScratchFolder other("kv-test-scratch-");
    EXPECT_NE(other.Path(), kept);
    File::Open(kept / "RESULT.ADT", File::Mode::CreateNew).WriteAt(0, "rows", 4);
    std::filesystem::create_directory(kept / "sub");
    File::Open(kept / "sub" / "SORT1.RUN", File::Mode::CreateNew).WriteAt(0, "run", 3);
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(File, AtomicReplace) {
  testing::TempFolder dir;
  dir.Write("old", "old");
  dir.Write("new.tmp", "new");
  AtomicReplace(dir.Path() / "new.tmp", dir.Path() / "old");
  EXPECT_FALSE(HostFileExists(dir.Path() / "new.tmp"));
  File f = File::Open(dir.Path() / "old", File::Mode::ReadOnly);
  char back[3];
  f.ReadExactAt(0, back, 3);
  EXPECT_EQ(std::string(back, 3), "new");
  EXPECT_TRUE(RemoveHostFile(dir.Path() / "old"));
  EXPECT_TRUE(RemoveHostFile(dir.Path() / "old"));  // already gone counts as removed
}

}  // namespace
}  // namespace kv::fs
