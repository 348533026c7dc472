#include "core/db/jetsql/tokenizer.h"

#include <array>
#include <cctype>

#include "core/db/errors.h"
#include "core/db/names.h"

namespace tessel::db::jetsql {
namespace {

bool IsWordStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool IsWordPart(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

constexpr std::array<std::string_view, 11> kLongSymbols{
    "->>", "<=", ">=", "<>", "!=", "==", "||", "<<", ">>", "->", ":="};

}  // namespace

TokenStream::TokenStream(std::string_view text) : text_(text) {
    if (text.size() > kMaxTokenizedLength) {
        throw EngineError(err::kInvalidStatement,
                          "Invalid SQL statement: it is " + std::to_string(text.size()) +
                              " characters long, more than the " +
                              std::to_string(kMaxTokenizedLength) + " that can be read.");
    }
}

bool TokenStream::Next(Token& token) {
    if (!SkipTrivia())
        return false;
    token = Scan();
    if (token.IsSymbol(")") && depth_ > 0)
        --depth_;
    token.depth = depth_;
    if (token.IsSymbol("("))
        ++depth_;
    return true;
}

// Skips whitespace and comments; false at the end of the text.
bool TokenStream::SkipTrivia() {
    while (pos_ < text_.size()) {
        const unsigned char c = At(pos_);
        if (std::isspace(c)) {
            ++pos_;
        } else if (c == '-' && At(pos_ + 1) == '-') {
            while (pos_ < text_.size() && text_[pos_] != '\n')
                ++pos_;
        } else if (c == '/' && At(pos_ + 1) == '*') {
            const auto close = text_.find("*/", pos_ + 2);
            pos_ = close == std::string_view::npos ? text_.size() : close + 2;
        } else {
            return true;
        }
    }
    return false;
}

// A quoted run ending with `close`, where a doubled `close` stands for itself.
Token TokenStream::Quoted(TokenKind kind, char close, bool doubling) {
    Token token = Make(kind, pos_);
    std::size_t i = pos_ + 1;
    for (;;) {
        if (i >= text_.size()) {
            token.kind = TokenKind::Unfinished;
            break;
        }
        if (text_[i] == close) {
            if (doubling && At(i + 1) == static_cast<unsigned char>(close)) {
                token.doubled = true;
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        ++i;
    }
    pos_ = i;
    token.end = static_cast<std::uint32_t>(i);
    return token;
}

Token TokenStream::Scan() {
    const unsigned char c = At(pos_);
    if (c == '\'')
        return Quoted(TokenKind::String, '\'', true);
    if (c == '"')
        return Quoted(TokenKind::QuotedName, '"', true);
    if (c == '`')
        return Quoted(TokenKind::QuotedName, '`', true);
    if (c == '[')
        return Quoted(TokenKind::QuotedName, ']', false);
    if (c == '#') {
        const auto close = text_.find('#', pos_ + 1);
        if (close != std::string_view::npos && close - pos_ <= 40) {
            return Quoted(TokenKind::Date, '#', false);
        }
    }
    const std::size_t start = pos_;
    if (IsWordStart(c)) {
        while (IsWordPart(At(pos_)))
            ++pos_;
        return Make(TokenKind::Word, start);
    }
    if (std::isdigit(c) || (c == '.' && std::isdigit(At(pos_ + 1)))) {
        if (c == '0' && (At(pos_ + 1) == 'x' || At(pos_ + 1) == 'X') &&
            std::isxdigit(At(pos_ + 2))) {
            pos_ += 2;
            while (std::isxdigit(At(pos_)))
                ++pos_;
            return Make(TokenKind::Number, start);
        }
        while (std::isdigit(At(pos_)))
            ++pos_;
        if (At(pos_) == '.') {
            ++pos_;
            while (std::isdigit(At(pos_)))
                ++pos_;
        }
        if ((At(pos_) == 'e' || At(pos_) == 'E') &&
            (std::isdigit(At(pos_ + 1)) ||
             ((At(pos_ + 1) == '+' || At(pos_ + 1) == '-') && std::isdigit(At(pos_ + 2))))) {
            pos_ += 2;
            while (std::isdigit(At(pos_)))
                ++pos_;
        }
        return Make(TokenKind::Number, start);
    }
    for (std::string_view symbol : kLongSymbols) {
        if (text_.substr(pos_, symbol.size()) == symbol) {
            pos_ += symbol.size();
            return Make(TokenKind::Symbol, start);
        }
    }
    ++pos_;
    return Make(TokenKind::Symbol, start);
}

Token TokenStream::Make(TokenKind kind, std::size_t start) const {
    Token token;
    token.source = text_.data();
    token.begin = static_cast<std::uint32_t>(start);
    token.end = static_cast<std::uint32_t>(pos_);
    token.kind = kind;
    return token;
}

std::string_view Token::Spelling() const {
    const std::string_view written(source + begin, end - begin);
    switch (kind) {
        case TokenKind::QuotedName:
        case TokenKind::String:
        case TokenKind::Date:
            return written.substr(1, written.size() - 2);
        case TokenKind::Unfinished:
            return written.substr(1);
        default:
            return written;
    }
}

std::string Token::Value() const {
    const std::string_view spelling = Spelling();
    if (!doubled)
        return std::string(spelling);
    const char close = source[begin] == '[' ? ']' : source[begin];
    std::string value;
    value.reserve(spelling.size());
    for (std::size_t i = 0; i < spelling.size(); ++i) {
        value += spelling[i];
        if (spelling[i] == close)
            ++i;  // the second of the pair
    }
    return value;
}

bool Token::IsWord(std::string_view word) const {
    return kind == TokenKind::Word && SameName(Spelling(), word);
}

std::vector<Token> Tokenize(std::string_view text) {
    // Counts the tokens first, so that the vector holds exactly them: growing it by doubling
    // would keep up to three times their size at once.
    std::size_t count = 0;
    Token token;
    for (TokenStream counting(text); counting.Next(token);)
        ++count;
    std::vector<Token> tokens;
    tokens.reserve(count);
    for (TokenStream stream(text); stream.Next(token);)
        tokens.push_back(token);
    return tokens;
}

}  // namespace tessel::db::jetsql
