#pragma once
// The one place where the suite's paths meet the host's file system.
//
// The suite writes paths in its home form: "\" between elements, data paths ending in "\", literals such as
// "c:\temp\". Here:
//  - "\" and "/" are both separators;
//  - every element is matched against the existing entries of its folder without regard to letter case, as on
//    the suite's home platform, so "PAYPARA1.adt" and "paypara1.ADT" reach one file (an exact spelling wins
//    when several entries differ only in case);
//  - an element that does not exist yet keeps the spelling it was given, so new files are named as written;
//  - a drive prefix "X:" maps to the folder DriveRoot()/x (the letter in lower case); the drive root is "/mnt"
//    unless a front-end or a test sets another with SetDriveRoot, so "c:\temp\photo.jpg" is
//    "/mnt/c/temp/photo.jpg";
//  - a path with neither a drive nor a leading separator is relative to the current working folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/calendar.h"

namespace kv::fs {

class FsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void SetDriveRoot(const std::filesystem::path& root);
std::filesystem::path DriveRoot();

// The host path a suite path reaches, resolved element by element as described above.
std::filesystem::path Resolve(std::string_view suitePath);

// The name of the entry of a host folder that equals name without regard to case: name itself when it exists
// as spelled, else the smallest spelling that matches; nullopt when none does (or the folder is missing). A
// folder's listing is kept between calls while the folder is unchanged, so asking for files that are not there
// costs one look at the folder, not a read of it.
std::optional<std::string> FindEntryIgnoringCase(const std::filesystem::path& folder, std::string_view name);

bool FileExists(std::string_view suitePath);    // a file (not a folder) is there
bool FolderExists(std::string_view suitePath);  // a folder is there
// Deletes a file; false when there was none or it could not be removed.
bool DeleteFile(std::string_view suitePath);
// Creates the folder with every missing parent; true when it exists afterwards.
bool CreateFolders(std::string_view suitePath);
// The file's last modification time in host local time. Throws FsError when there is no such file.
DateTime FileModified(std::string_view suitePath);

struct FindEntry {
  std::string name;  // as spelled on disk
  bool isFolder = false;
  bool isHidden = false;  // a name starting with "."
  std::uint64_t size = 0;
  DateTime modified;
};

// Entries of a folder matching a mask, as "find first / find next" returns them, sorted by name. The argument
// is folder + mask ("X:\KV\COMPANY\ABC\*.adt") or a mask alone (the current folder). A missing folder gives no
// entries. "." and ".." are never returned.
std::vector<FindEntry> FindFiles(std::string_view folderAndMask);

// The suite's wildcard rules, without regard to case: "*" any run of characters, "?" any one character;
// "*.*" matches every name, with or without a dot; a mask ending in "." ("*.") matches names with no extension.
bool MatchesMask(std::string_view name, std::string_view mask);

// The last element of a suite path ("X:\A\B.ADT" gives "B.ADT"), and what lies before it, separator included.
std::string FileNamePart(std::string_view suitePath);
std::string FolderPart(std::string_view suitePath);

}  // namespace kv::fs
