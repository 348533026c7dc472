#include "core/generate/sql_words.h"

#include "core/db/jetsql/tokenizer.h"

namespace tessel::sqlwords {

namespace {

namespace jet = db::jetsql;

TokenKind KindOf(jet::TokenKind kind) {
    switch (kind) {
        case jet::TokenKind::Word:
            return TokenKind::Word;
        case jet::TokenKind::Number:
            return TokenKind::Number;
        case jet::TokenKind::Symbol:
            return TokenKind::Symbol;
        case jet::TokenKind::QuotedName:
        case jet::TokenKind::String:
        case jet::TokenKind::Date:
        case jet::TokenKind::Unfinished:
            break;
    }
    return TokenKind::Quoted;
}

// The text between two tokens: runs of blanks and comments, and each line break on its own,
// since a line break ends a statement of the export.
void AppendGap(std::vector<Token>& tokens, std::string_view gap) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < gap.size(); ++i) {
        if (gap[i] != '\r' && gap[i] != '\n')
            continue;
        if (i > start)
            tokens.push_back({TokenKind::Blank, std::string(gap.substr(start, i - start))});
        tokens.push_back({TokenKind::LineBreak, std::string(1, gap[i])});
        start = i + 1;
    }
    if (start < gap.size())
        tokens.push_back({TokenKind::Blank, std::string(gap.substr(start))});
}

}  // namespace

std::vector<Token> Tokenize(std::string_view text) {
    std::vector<Token> tokens;
    tokens.reserve(text.size() / 3 + 1);
    std::size_t position = 0;
    for (const jet::Token& token : jet::Tokenize(text)) {
        AppendGap(tokens, text.substr(position, token.begin - position));
        tokens.push_back(
            {KindOf(token.kind), std::string(text.substr(token.begin, token.end - token.begin))});
        position = token.end;
    }
    AppendGap(tokens, text.substr(position));
    return tokens;
}

std::string Join(const std::vector<Token>& tokens) {
    std::size_t size = 0;
    for (const auto& token : tokens) {
        size += token.text.size();
    }
    std::string text;
    text.reserve(size);
    for (const auto& token : tokens) {
        text += token.text;
    }
    return text;
}

}  // namespace tessel::sqlwords
