// The tokenizer of the Jet SQL layer. Every rewrite and every DDL translation works on these
// tokens, never on raw text, so that quoted texts, [bracketed names], "quoted names", #date#
// literals and comments are never mistaken for keywords.
//
// A token is a few offsets into the statement text, not a copy of its characters: a statement
// of many megabytes has about as many tokens as bytes, so each token must stay small. The text
// must outlive its tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::db::jetsql {

enum class TokenKind : std::uint8_t {
    Word,        // a keyword or an unquoted name
    QuotedName,  // [name], "name" or `name`
    String,      // 'text'
    Number,
    Date,        // #...#
    Symbol,      // operators and punctuation, one to three characters
    Unfinished,  // a quote or bracket without its end
};

struct Token {
    const char* source = nullptr;  // the statement text that the offsets index
    std::uint32_t begin = 0;       // offsets into the statement text
    std::uint32_t end = 0;
    std::uint32_t depth = 0;  // parentheses open before this token (a stray ")" closes none)
    TokenKind kind = TokenKind::Symbol;
    bool doubled = false;  // a quoted token holding a doubled closing quote that stands for one

    // The characters as written; for quoted kinds without the quotes (doubled quotes kept).
    std::string_view Spelling() const;
    // The name or text: the spelling with each doubled closing quote standing for one.
    std::string Value() const;

    // A Word whose text equals `word` in any case.
    bool IsWord(std::string_view word) const;
    bool IsSymbol(std::string_view symbol) const {
        return kind == TokenKind::Symbol && Spelling() == symbol;
    }
    // A Word or QuotedName: something that can name an object.
    bool IsName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedName; }
};

// The longest text Tokenize takes; its offsets are 32 bits wide.
inline constexpr std::size_t kMaxTokenizedLength = UINT32_MAX;

// The tokens of a text one at a time, none kept: a pass that needs only what it has already
// seen reads a statement of any length in constant memory. Throws EngineError for a text
// longer than kMaxTokenizedLength.
class TokenStream {
  public:
    explicit TokenStream(std::string_view text);

    // The next token, its depth set; false at the end of the text.
    bool Next(Token& token);

  private:
    unsigned char At(std::size_t i) const {
        return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0;
    }
    bool SkipTrivia();
    Token Scan();
    Token Quoted(TokenKind kind, char close, bool doubling);
    Token Make(TokenKind kind, std::size_t start) const;

    std::string_view text_;
    std::size_t pos_ = 0;
    std::uint32_t depth_ = 0;
};

// Splits a statement into tokens; whitespace and comments lie between them. Throws EngineError
// for a text longer than kMaxTokenizedLength.
std::vector<Token> Tokenize(std::string_view text);

}  // namespace tessel::db::jetsql
