#include "platform/fs.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <system_error>

#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace kv::fs {

namespace {

std::mutex g_rootMutex;
stdfs::path g_driveRoot = "/mnt";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::vector<std::string> SplitElements(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (IsSeparator(c)) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

// The entry of folder whose name equals element without regard to case; element itself when none does.
std::string MatchEntry(const stdfs::path& folder, const std::string& element) {
  if (element == "." || element == "..") return element;
  return FindEntryIgnoringCase(folder, element).value_or(element);
}

DateTime ToLocal(stdfs::file_time_type stamp) {
  const auto system = std::chrono::file_clock::to_sys(stamp);
  return DateTime::FromUnixLocal(std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count());
}

}  // namespace

void SetDriveRoot(const stdfs::path& root) {
  std::lock_guard lock(g_rootMutex);
  g_driveRoot = root;
}

stdfs::path DriveRoot() {
  std::lock_guard lock(g_rootMutex);
  return g_driveRoot;
}

stdfs::path Resolve(std::string_view suitePath) {
  stdfs::path base;
  std::string_view rest = suitePath;
  if (rest.size() >= 2 && rest[1] == ':' &&
      ((rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z'))) {
    base = DriveRoot() / LowerCase(rest.substr(0, 1));
    rest.remove_prefix(2);
  } else if (!rest.empty() && IsSeparator(rest[0])) {
    base = "/";
  } else {
    base = stdfs::current_path();
  }
  const std::vector<std::string> elements = SplitElements(rest);
  // A path that exists exactly as written resolves to itself, since an exact spelling wins at every element:
  // one look at the file system instead of one for each element. Paths with "." or ".." go element by element.
  if (std::none_of(elements.begin(), elements.end(), [](const std::string& e) { return e == "." || e == ".."; })) {
    stdfs::path spelled = base;
    for (const std::string& element : elements) spelled /= element;
    std::error_code ec;
    if (stdfs::exists(spelled, ec)) return spelled;
  }
  stdfs::path result = base;
  for (const std::string& element : elements) {
    if (element == "..") {
      result = result.parent_path();
    } else if (element != ".") {
      result /= MatchEntry(result, element);
    }
  }
  return result;
}

bool FileExists(std::string_view suitePath) {
  std::error_code ec;
  return stdfs::is_regular_file(Resolve(suitePath), ec);
}

bool FolderExists(std::string_view suitePath) {
  std::error_code ec;
  return stdfs::is_directory(Resolve(suitePath), ec);
}

bool DeleteFile(std::string_view suitePath) {
  const stdfs::path target = Resolve(suitePath);
  std::error_code ec;
  if (!stdfs::is_regular_file(target, ec)) return false;
  return stdfs::remove(target, ec);
}

bool CreateFolders(std::string_view suitePath) {
  const stdfs::path target = Resolve(suitePath);
  std::error_code ec;
  stdfs::create_directories(target, ec);
  return stdfs::is_directory(target, ec);
}

DateTime FileModified(std::string_view suitePath) {
  const stdfs::path target = Resolve(suitePath);
  std::error_code ec;
  const auto stamp = stdfs::last_write_time(target, ec);
  if (ec) throw FsError("cannot read the modification time of " + target.string() + ": " + ec.message());
  return ToLocal(stamp);
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*" || mask == "*") return true;
  if (!mask.empty() && mask.back() == '.' && mask != ".") {
    if (name.find('.') != std::string_view::npos) return false;
    mask.remove_suffix(1);
  }
  // Iterative wildcard match with one backtracking point for the latest "*".
  std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  const auto same = [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  };
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && same(mask[m], name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  // "X.*" also matches a bare "X", as on the home platform.
  if (m + 2 == mask.size() && mask[m] == '.' && mask[m + 1] == '*') return true;
  return m == mask.size();
}

std::string FileNamePart(std::string_view suitePath) {
  const std::size_t cut = suitePath.find_last_of("\\/");
  std::string_view name = cut == std::string_view::npos ? suitePath : suitePath.substr(cut + 1);
  if (cut == std::string_view::npos && name.size() >= 2 && name[1] == ':') name.remove_prefix(2);
  return std::string(name);
}

std::string FolderPart(std::string_view suitePath) {
  const std::size_t cut = suitePath.find_last_of("\\/");
  if (cut == std::string_view::npos) return suitePath.size() >= 2 && suitePath[1] == ':' ? std::string(suitePath.substr(0, 2)) : "";
  return std::string(suitePath.substr(0, cut + 1));
}

std::vector<FindEntry> FindFiles(std::string_view folderAndMask) {
  const std::string mask = FileNamePart(folderAndMask);
  const std::string folderText = FolderPart(folderAndMask);
  const stdfs::path folder = folderText.empty() ? stdfs::current_path() : Resolve(folderText);
  std::vector<FindEntry> found;
  std::error_code ec;
  for (stdfs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!MatchesMask(name, mask.empty() ? "*" : mask)) continue;
    FindEntry entry;
    entry.name = name;
    std::error_code entryError;
    entry.isFolder = it->is_directory(entryError);
    entry.isHidden = !name.empty() && name[0] == '.';
    if (!entry.isFolder) entry.size = it->file_size(entryError);
    const auto stamp = it->last_write_time(entryError);
    if (!entryError) entry.modified = ToLocal(stamp);
    found.push_back(std::move(entry));
  }
  std::sort(found.begin(), found.end(), [](const FindEntry& a, const FindEntry& b) { return a.name < b.name; });
  return found;
}

}  // namespace kv::fs
