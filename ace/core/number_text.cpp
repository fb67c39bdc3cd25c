#include "ace/core/number_text.h"

#include <charconv>

#include "support/strings.h"

namespace ace {

namespace {

// The text a number is read from when it has the shape of one (blanks gone, a plus sign dropped, since
// from_chars takes a minus only); nullopt otherwise. point tells whether it has a decimal point.
std::optional<std::string_view> PlainNumber(std::string_view text, bool& point) {
  text = kv::TrimBlanks(text);
  const bool plus = !text.empty() && text.front() == '+';
  if (plus) text.remove_prefix(1);
  std::string_view body = text;
  if (!plus && !body.empty() && body.front() == '-') body.remove_prefix(1);  // one sign at most
  bool digit = false;
  point = false;
  for (const char c : body) {
    if (c >= '0' && c <= '9') digit = true;
    else if (c == '.' && !point) point = true;
    else return std::nullopt;
  }
  if (!digit) return std::nullopt;
  return text;
}

template <typename T>
std::optional<T> Read(std::string_view text) {
  T number{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  // Out of range (ec set) is refused rather than read as infinity, zero or a cut number.
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

}  // namespace

std::optional<double> NumberFromText(std::string_view text) {
  bool point = false;
  const std::optional<std::string_view> plain = PlainNumber(text, point);
  if (!plain) return std::nullopt;
  return Read<double>(*plain);
}

std::optional<std::int64_t> WholeNumberFromText(std::string_view text) {
  bool point = false;
  const std::optional<std::string_view> plain = PlainNumber(text, point);
  if (!plain || point) return std::nullopt;
  return Read<std::int64_t>(*plain);
}

}  // namespace ace
