#pragma once
// The zip component the window places (XceedZip1): archives in the zip format, written and read through libzip.
//
// The tool sets the archive name, the list of files to process (names or masks in the suite's path form), then
// compresses or extracts; progress reaches the caller through the FileStatus event, delivered on the caller's
// thread during the call. Paths go through kv::fs, so "C:\KV\COMPANY\ABC\*.adt" works as everywhere else.
//
// Compress: every file matching an entry of FilesToProcess (masks by the suite's wildcard rules, only the named
// folder, no subfolders) is stored under its bare file name, in list order, each file once; folders and special
// files are skipped, and so is the archive itself. Two different files that would take one bare name are refused
// (ZipError), since keeping either would drop the other. The archive is written to a hidden temporary file beside
// its final name, synced, and renamed over ZipFilename only once it is complete, so a failed compress leaves
// neither a half-written archive nor a temporary file, and an older archive of that name survives it. A file that
// cannot be read or that vanishes or changes meanwhile, a full disk or any other write failure raises ZipError
// naming the file. No archive name or an empty list raises ZipError; a list whose masks match no file writes a
// valid archive without entries (nothing was there to keep; Python's zipfile reads it, `unzip -t` warns that
// it is empty).
//
// Extract: every archive entry whose name matches an entry of FilesToProcess is written into UnzipToFolder under
// its stored name (subfolders of the archive are made inside the folder). A list entry without a folder part
// ("wallpaper.jpg", "*.adt") matches the entry's file name, without regard to case; one with a folder part matches
// the entry's whole name, so full paths left in the list by a backup pick nothing out of an update archive. An
// existing file is replaced (the one the name reaches without regard to case). An entry whose name is absolute,
// has a drive letter, or climbs out of the folder ("..", also with "\" as separator, or through a linked
// subfolder) is refused: it is not written, and ZipError names it once the other entries are done. Each file is
// written to a hidden temporary file beside its final name, synced and moved into place when complete and its
// CRC checked, so a damaged entry raises ZipError and leaves no part of itself. A missing UnzipToFolder is made
// when its parent folder exists (a fresh installation may lack "IMAGE"); otherwise ZipError. No archive name, an
// empty list or no folder raises ZipError.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv::zip {

class ZipError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The progress event's arguments, as the window's handler reads them.
struct FileStatus {
  std::string sFilename;           // the file being processed, by its name in the archive
  std::int64_t lSize = 0;          // its uncompressed size
  std::int64_t lCompressedSize = 0;
  std::int64_t lBytesProcessed = 0;
  int nBytesPercent = 0;           // 0 to 100, of this file
  int nCompressionRatio = 0;       // percent saved, 0 to 100
  bool bFileCompleted = false;
};

class ZipComponent {
 public:
  using FileStatusHandler = std::function<void(const FileStatus&)>;

  const std::string& ZipFilename() const { return zipFilename_; }
  void SetZipFilename(std::string name) { zipFilename_ = std::move(name); }

  const std::string& UnzipToFolder() const { return unzipToFolder_; }
  void SetUnzipToFolder(std::string folder) { unzipToFolder_ = std::move(folder); }

  // Setting an empty list clears it; AddFilesToProcess appends one name or mask.
  const std::vector<std::string>& FilesToProcess() const { return filesToProcess_; }
  void SetFilesToProcess(std::vector<std::string> entries) { filesToProcess_ = std::move(entries); }
  void AddFilesToProcess(std::string entry) { filesToProcess_.push_back(std::move(entry)); }

  // Deflate level 0 (store) to 9; 6 unless set.
  int CompressionLevel() const { return level_; }
  void SetCompressionLevel(int level);

  // The window component's integer property; the progress display reads it (1: compressing).
  int Tag = 0;

  // Called during Zip and Unzip: once at 0 % as a file starts, each time its whole percent rises, and once with
  // bFileCompleted (100 %, and the compressed size). An exception it raises stops the call (no archive or file
  // is left half-written) and reaches the caller.
  FileStatusHandler OnFileStatus;

  // Writes ZipFilename from the files FilesToProcess names (an existing archive of that name is replaced
  // once the new one is complete). Returns the number of files stored; raises ZipError on any failure.
  int Zip();
  // Extracts the entries FilesToProcess names from ZipFilename into UnzipToFolder. Returns the number of files
  // written; raises ZipError when the archive cannot be read, a file cannot be written, or an entry was refused.
  int Unzip();

 private:
  std::string zipFilename_;
  std::string unzipToFolder_;
  std::vector<std::string> filesToProcess_;
  int level_ = 6;
};

}  // namespace kv::zip
