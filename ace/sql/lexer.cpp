#include "ace/sql/lexer.h"

#include "ace/core/error.h"

namespace ace::sql {

namespace {

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '#' || c == '$' || c == '@'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    Position endPos;  // right after the last token
    for (;;) {
      SkipBlanksAndComments();
      if (AtEnd()) break;
      tokens.push_back(Next(tokens.empty() ? nullptr : &tokens.back()));
      endPos = pos_;
    }
    Token end;
    end.kind = TokenKind::End;
    end.pos = endPos;
    tokens.push_back(end);
    return tokens;
  }

 private:
  bool AtEnd() const { return pos_.offset >= text_.size(); }
  char Peek(std::size_t ahead = 0) const {
    const std::size_t at = pos_.offset + ahead;
    return at < text_.size() ? text_[at] : '\0';
  }

  // Moves one character on, counting "\r\n" as one line break.
  void Advance() {
    const char c = text_[pos_.offset++];
    if (c == '\n' || (c == '\r' && Peek() != '\n')) {
      ++pos_.line;
      pos_.column = 1;
    } else if (c != '\r') {
      ++pos_.column;
    }
  }

  void SkipBlanksAndComments() {
    for (;;) {
      if (AtEnd()) return;
      const char c = Peek();
      if (IsBlank(c)) {
        Advance();
      } else if (c == '-' && Peek(1) == '-') {
        while (!AtEnd() && Peek() != '\n' && Peek() != '\r') Advance();
      } else if (c == '/' && Peek(1) == '*') {
        const Position start = pos_;
        Advance();
        Advance();
        while (!AtEnd() && !(Peek() == '*' && Peek(1) == '/')) Advance();
        if (AtEnd())
          Fail(code::kSqlSyntax, "Expected */ to end the comment begun at " + Where(start) +
                                     " but found end of statement at " + Where(pos_));
        Advance();
        Advance();
      } else {
        return;
      }
    }
  }

  Token Make(TokenKind kind, const Position& start, std::string text) const {
    Token t;
    t.kind = kind;
    t.text = std::move(text);
    t.raw = text_.substr(start.offset, pos_.offset - start.offset);
    t.pos = start;
    return t;
  }

  // A quoted text ending with close; a doubled close stands for one close character.
  std::string Quoted(char close, const Position& start, const char* what) {
    Advance();  // the opening mark
    std::string out;
    for (;;) {
      if (AtEnd())
        Fail(code::kSqlSyntax, std::string("Expected ") + close + " to end the " + what + " begun at " +
                                   Where(start) + " but found end of statement at " + Where(pos_));
      const char c = Peek();
      if (c == close) {
        Advance();
        if (Peek() != close) return out;
        Advance();
        out.push_back(close);
      } else {
        out.push_back(c);
        Advance();
      }
    }
  }

  static bool EndsOperand(const Token* previous) {
    if (previous == nullptr) return false;
    return previous->kind == TokenKind::Word || previous->kind == TokenKind::QuotedName ||
           previous->kind == TokenKind::Parameter || previous->kind == TokenKind::Number ||
           (previous->kind == TokenKind::Symbol && previous->text == ")");
  }

  Token Next(const Token* previous) {
    const Position start = pos_;
    const char c = Peek();
    if (IsLetter(c)) {
      while (!AtEnd() && IsWordChar(Peek())) Advance();
      return Make(TokenKind::Word, start, std::string(text_.substr(start.offset, pos_.offset - start.offset)));
    }
    if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)) && !EndsOperand(previous))) {
      while (IsDigit(Peek())) Advance();
      if (Peek() == '.' && IsDigit(Peek(1))) {
        Advance();
        while (IsDigit(Peek())) Advance();
      }
      if (!AtEnd() && IsWordChar(Peek()))
        Fail(code::kSqlSyntax, "Expected a blank or an operator after the number " +
                                   std::string(text_.substr(start.offset, pos_.offset - start.offset)) +
                                   " but found \"" + std::string(1, Peek()) + "\" at " + Where(pos_));
      return Make(TokenKind::Number, start, std::string(text_.substr(start.offset, pos_.offset - start.offset)));
    }
    if (c == '\'') return Make(TokenKind::String, start, Quoted('\'', start, "string"));
    if (c == '"' || c == '[') {
      std::string name = Quoted(c == '"' ? '"' : ']', start, "name");
      if (name.empty()) Fail(code::kSqlSyntax, "Expected a name inside the quotes at " + Where(start));
      return Make(TokenKind::QuotedName, start, std::move(name));
    }
    if (c == ':') {
      Advance();
      const std::size_t nameStart = pos_.offset;
      while (!AtEnd() && IsWordChar(Peek())) Advance();
      if (pos_.offset == nameStart) {
        const std::string found = AtEnd() ? "end of statement" : "\"" + std::string(1, Peek()) + "\"";
        Fail(code::kSqlSyntax, "Expected a parameter name after \":\" but found " + found + " at " + Where(pos_));
      }
      return Make(TokenKind::Parameter, start, std::string(text_.substr(nameStart, pos_.offset - nameStart)));
    }
    static constexpr std::string_view kTwoCharSymbols[] = {"<>", "!=", "<=", ">="};
    for (std::string_view symbol : kTwoCharSymbols) {
      if (c == symbol[0] && Peek(1) == symbol[1]) {
        Advance();
        Advance();
        return Make(TokenKind::Symbol, start, std::string(symbol));
      }
    }
    static constexpr std::string_view kOneCharSymbols = "(),.;*+-/=<>";
    if (kOneCharSymbols.find(c) != std::string_view::npos) {
      Advance();
      return Make(TokenKind::Symbol, start, std::string(1, c));
    }
    Fail(code::kSqlSyntax, "Expected a word, name, number, string or operator but found \"" + std::string(1, c) +
                               "\" at " + Where(start));
  }

  std::string_view text_;
  Position pos_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view text) { return Lexer(text).Run(); }

std::string Where(const Position& pos) {
  return "line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column);
}

std::string Describe(const Token& token) {
  if (token.kind == TokenKind::End) return "end of statement";
  // A quoted name or a string already shows its own quotes.
  if (token.kind == TokenKind::QuotedName || token.kind == TokenKind::String) return std::string(token.raw);
  return "\"" + std::string(token.raw) + "\"";
}

}  // namespace ace::sql
