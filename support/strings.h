#pragma once
// Substring and replace-all routines of the suite. The buffer forms work in place on zero-terminated
// character buffers; the text forms copy into a fresh buffer, call the buffer form and return new text.
// Positions are 1-based.

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// Cuts the buffer after n characters when n is less than its length. A null buffer is left alone.
char* LeftChars(char* buffer, std::uint16_t n);

// The position of the last n characters when n is less than the length, otherwise the whole buffer.
char* RightChars(char* buffer, std::uint16_t n);

// The characters from start (1-based; 0 acts as 1), at most count of them; empty when the buffer is shorter
// than start. Cuts the buffer in place and returns the position of the first character taken.
char* MidChars(char* buffer, std::uint16_t start, std::uint16_t count);

// Text form of MidChars.
std::string SubText(std::string_view text, std::uint8_t start, std::uint8_t count);

// The longest text ReplaceAll can build: its work buffer holds 32,768 bytes including the terminator.
inline constexpr std::size_t kReplaceAllLimit = 32767;

// Every occurrence of find replaced by replacement, the result cut to the length the text had on entry.
// Texts of length 0 or 1 come back unchanged; an empty find text never matches. Throws std::length_error
// when the expanded text would not fit the work buffer, rather than overrunning it.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// ASCII-only case folding and comparison: the suite's names (tables, fields, paths) are compared so.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
std::string_view TrimBlanks(std::string_view text);

}  // namespace kv
