#include "platform/ini.h"

#include <fstream>
#include <sstream>

#include "platform/fs.h"
#include "support/strings.h"

namespace kv::ini {

IniFile IniFile::Load(std::string_view suitePath) {
  std::ifstream in(fs::Resolve(suitePath), std::ios::binary);
  if (!in) return IniFile{};
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str());
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile file;
  std::string section;
  bool sectionSeenBefore = false;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      section = std::string(TrimBlanks(line.substr(1, close - 1)));
      // A repeated section adds nothing: its keys could only be second occurrences or new keys, and the home
      // platform reads the first section of a name only.
      sectionSeenBefore = false;
      for (const Entry& e : file.entries_)
        if (SameText(e.section, section)) sectionSeenBefore = true;
      if (!sectionSeenBefore) file.entries_.push_back({section, "", ""});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || sectionSeenBefore) continue;
    std::string key(TrimBlanks(line.substr(0, equals)));
    std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    file.entries_.push_back({section, std::move(key), std::string(value)});
  }
  return file;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  for (const Entry& e : entries_)
    if (!e.key.empty() && SameText(e.section, section) && SameText(e.key, key)) return e.value;
  return std::string(defaultValue);
}

}  // namespace kv::ini
