#pragma once
// Where this process keeps its scratch files (statement results, sort runs): one folder of its own under the
// system's temp folder, named kv-scratch-<pid>-XXXXXX and holding owner.lock, which the process keeps locked for
// its life. The system drops the lock when the process ends, however it ends, so a folder whose lock can be
// taken belongs to a process that is gone and was killed before it could clean up. The first use in a process
// removes such folders; the process's own folder goes when it exits normally.

#include <cstddef>
#include <filesystem>

namespace kv::fs {

// This process's scratch folder, made (and the dead ones swept) on first use; a child made by fork gets one of
// its own on its first use. Throws FsError when it cannot be made.
std::filesystem::path ProcessScratchRoot();

// Removes the scratch folders under base whose owning process is gone; how many went. A folder without its lock
// file is left for a minute (its maker may be about to lock it).
std::size_t SweepDeadScratch(const std::filesystem::path& base);

}  // namespace kv::fs
