// The tokenizer of the Jet SQL layer. Every rewrite and every DDL translation works on these
// tokens, never on raw text, so that quoted texts, [bracketed names], "quoted names", #date#
// literals and comments are never mistaken for keywords.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::db::jetsql {

enum class TokenKind {
    Word,        // a keyword or an unquoted name
    QuotedName,  // [name], "name" or `name`
    String,      // 'text'
    Number,
    Date,        // #...#
    Symbol,      // operators and punctuation, one to three characters
    Unfinished,  // a quote or bracket without its end
};

struct Token {
    TokenKind kind = TokenKind::Symbol;
    std::size_t begin = 0;  // offsets into the statement text
    std::size_t end = 0;
    std::string value;  // the name or text without quotes; the symbol or word as written

    // A Word whose text equals `word` in any case.
    bool IsWord(std::string_view word) const;
    bool IsSymbol(std::string_view symbol) const {
        return kind == TokenKind::Symbol && value == symbol;
    }
    // A Word or QuotedName: something that can name an object.
    bool IsName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedName; }
};

// Splits a statement into tokens; whitespace and comments lie between them.
std::vector<Token> Tokenize(std::string_view text);

}  // namespace tessel::db::jetsql
