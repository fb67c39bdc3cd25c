#pragma once
// Reading the suite's profile file "KAVEN.ini" by the rules of its home platform:
//  - "[SECTION]" lines open sections; "KEY=VALUE" lines hold values; sections and keys match without regard to
//    case, and blanks around them do not count;
//  - a value is trimmed of surrounding blanks, then of one pair of matching surrounding quotes ("..." or '...');
//  - lines starting with ";" are comments; lines that are neither sections nor keys are passed over;
//  - when a section or a key appears twice, the first occurrence wins;
//  - a missing file, section or key reads as the default (empty unless given).
// The tool only reads the file; there is no writer.

#include <string>
#include <string_view>
#include <vector>

namespace kv::ini {

class IniFile {
 public:
  // Reads the file at a suite path; a missing or unreadable file gives an empty profile.
  static IniFile Load(std::string_view suitePath);
  static IniFile Parse(std::string_view text);

  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue = "") const;

 private:
  struct Entry {
    std::string section;
    std::string key;
    std::string value;
  };
  std::vector<Entry> entries_;
};

}  // namespace kv::ini
