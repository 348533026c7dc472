// SQL text as a chain of pieces for the ANSI rewriting.
//
// The Jet SQL layer's tokenizer finds the words, quoted texts and names, numbers and symbols;
// this adds the text between them (blanks, comments, and each line-break character on its
// own), so that the pieces put back together give the text again byte for byte. Rewriting on
// these pieces matches whole words only, never looks inside quoted texts or names, and never
// splits a multi-byte character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessel::sqlwords {

enum class TokenKind {
    Word,    // a keyword or unquoted name
    Quoted,  // 'text', [name], "name", #date#, or a quote left open
    Number,
    Symbol,     // punctuation and operators
    Blank,      // blanks, tabs and comments
    LineBreak,  // one carriage return or line feed
};

struct Token {
    TokenKind kind;
    std::string text;
};

std::vector<Token> Tokenize(std::string_view text);
std::string Join(const std::vector<Token>& tokens);

// True for a symbol token of exactly this character.
inline bool IsSymbol(const Token& token, char symbol) {
    return token.kind == TokenKind::Symbol && token.text.size() == 1 && token.text[0] == symbol;
}

}  // namespace tessel::sqlwords
