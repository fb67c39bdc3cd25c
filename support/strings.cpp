#include "support/strings.h"

#include <cstring>
#include <stdexcept>
#include <vector>

namespace kv {

char* LeftChars(char* buffer, std::uint16_t n) {
  if (buffer == nullptr) return buffer;
  if (n < std::strlen(buffer)) buffer[n] = '\0';
  return buffer;
}

char* RightChars(char* buffer, std::uint16_t n) {
  if (buffer == nullptr) return buffer;
  const std::size_t length = std::strlen(buffer);
  if (n < length) return buffer + (length - n);
  return buffer;
}

char* MidChars(char* buffer, std::uint16_t start, std::uint16_t count) {
  if (buffer == nullptr) return buffer;
  if (start == 0) start = 1;
  const std::size_t length = std::strlen(buffer);
  if (length < start) return buffer + length;  // the terminator: an empty text
  char* first = buffer + (start - 1);
  return LeftChars(first, count);
}

std::string SubText(std::string_view text, std::uint8_t start, std::uint8_t count) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return std::string(MidChars(buffer.data(), start, count));
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  if (text.size() <= 1) return std::string(text);
  std::string work;
  auto append = [&work](std::string_view piece) {
    if (work.size() + piece.size() > kReplaceAllLimit)
      throw std::length_error("ReplaceAll: the text would grow beyond " + std::to_string(kReplaceAllLimit) +
                              " characters");
    work.append(piece);
  };
  std::size_t i = 0;
  while (i < text.size()) {
    if (!find.empty() && text.compare(i, find.size(), find) == 0) {
      append(replacement);
      i += find.size();
    } else {
      append(text.substr(i, 1));
      ++i;
    }
  }
  if (work.size() > text.size()) work.resize(text.size());
  return work;
}

namespace {
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace kv
