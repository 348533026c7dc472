#include "core/generate/column_removal.h"

#include <optional>
#include <unordered_map>

#include "core/base/text.h"

namespace tessel::sqlwords {

namespace {

constexpr int kNone = -1;

// The tokens as a doubly linked chain, so that removed pieces cost nothing to step over.
class TokenChain {
  public:
    explicit TokenChain(const std::vector<Token>& tokens)
        : tokens_(tokens), next_(tokens.size()), prev_(tokens.size()), alive_(tokens.size(), 1) {
        const int count = static_cast<int>(tokens.size());
        for (int i = 0; i < count; ++i) {
            prev_[i] = i - 1;
            next_[i] = i + 1 < count ? i + 1 : kNone;
        }
        tail_ = count - 1;
    }

    const Token& At(int i) const { return tokens_[static_cast<std::size_t>(i)]; }
    int Next(int i) const { return next_[static_cast<std::size_t>(i)]; }
    int Prev(int i) const { return prev_[static_cast<std::size_t>(i)]; }
    int Tail() const { return tail_; }
    bool Alive(int i) const { return alive_[static_cast<std::size_t>(i)] != 0; }

    std::string Text(int first, int last) const {
        std::string text;
        for (int i = first; i != kNone; i = Next(i)) {
            text += At(i).text;
            if (i == last)
                break;
        }
        return text;
    }

    void Remove(int first, int last) {
        const int before = Prev(first);
        const int after = Next(last);
        for (int i = first; i != after; i = Next(i))
            alive_[static_cast<std::size_t>(i)] = 0;
        if (before != kNone)
            next_[static_cast<std::size_t>(before)] = after;
        if (after != kNone) {
            prev_[static_cast<std::size_t>(after)] = before;
        } else {
            tail_ = before;
        }
    }

  private:
    const std::vector<Token>& tokens_;
    std::vector<int> next_;
    std::vector<int> prev_;
    std::vector<char> alive_;
    int tail_ = kNone;
};

bool EndsStatement(const Token& token) {
    return token.kind == TokenKind::LineBreak || IsSymbol(token, ';');
}

// Where the column definition around a type word begins and ends: the "(" or "," before it and
// the "," or ")" after it (kNone when the statement ends first).
struct ColumnSpan {
    int separator = kNone;
    int terminator = kNone;
};

// Walks from `word` towards the start (or the end) of its statement to the first "," at the
// word's own depth or the "(" (or ")") of its list; nested parentheses are stepped over. Gives
// the statement's end when that comes first, kNone at the end of the text. `namePassed` tells
// whether a name stood on the way.
int WalkToListBoundary(const TokenChain& chain, int word, bool backward, bool& namePassed) {
    const char boundary = backward ? '(' : ')';
    const char nested = backward ? ')' : '(';
    int depth = 0;
    namePassed = false;
    for (int t = backward ? chain.Prev(word) : chain.Next(word); t != kNone;
         t = backward ? chain.Prev(t) : chain.Next(t)) {
        const Token& token = chain.At(t);
        if (EndsStatement(token))
            return t;
        if (IsSymbol(token, nested)) {
            ++depth;
        } else if (IsSymbol(token, boundary)) {
            if (depth == 0)
                return t;
            --depth;
        } else if (depth == 0) {
            if (IsSymbol(token, ','))
                return t;
            if (token.kind == TokenKind::Word || token.kind == TokenKind::Quoted)
                namePassed = true;
        }
    }
    return kNone;
}

// Nothing when the word does not stand as a column's type: outside a list, or first in its
// definition (where it is the column's name).
std::optional<ColumnSpan> ColumnAround(const TokenChain& chain, int word) {
    bool nameBefore = false;
    bool unused = false;
    ColumnSpan span;
    span.separator = WalkToListBoundary(chain, word, true, nameBefore);
    if (span.separator == kNone || EndsStatement(chain.At(span.separator)) || !nameBefore) {
        return std::nullopt;
    }
    span.terminator = WalkToListBoundary(chain, word, false, unused);
    return span;
}

struct Piece {
    int first = kNone;
    int last = kNone;
};

// The definition with the "," before it; or, for the first definition of its list, the
// definition with the "," after it (never the ")" that closes the list).
Piece PieceOf(const TokenChain& chain, const ColumnSpan& span) {
    const int beforeEnd = span.terminator == kNone ? chain.Tail() : chain.Prev(span.terminator);
    if (IsSymbol(chain.At(span.separator), ','))
        return {span.separator, beforeEnd};
    const bool takesComma = span.terminator != kNone && IsSymbol(chain.At(span.terminator), ',');
    return {chain.Next(span.separator), takesComma ? span.terminator : beforeEnd};
}

// The definition's own text, which no removal elsewhere changes: pieces of equal text can only
// come from definitions of equal key.
std::string DefinitionKey(const TokenChain& chain, const ColumnSpan& span) {
    const int first = chain.Next(span.separator);
    const int last = span.terminator == kNone ? chain.Tail() : chain.Prev(span.terminator);
    return base::Trim(base::LowerAscii(chain.Text(first, last)));
}

// One type word's occurrences that stand as a column's type, in text order, grouped by the
// text of their definitions.
struct WordOccurrences {
    std::vector<int> tokens;
    std::vector<std::string> keys;
    std::unordered_map<std::string, std::vector<int>> byKey;
    std::size_t cursor = 0;
};

std::vector<WordOccurrences> FindOccurrences(const TokenChain& chain,
                                             const std::vector<Token>& tokens,
                                             const std::vector<std::string>& typeWords) {
    std::unordered_map<std::string, std::size_t> wordIndex;
    for (std::size_t k = 0; k < typeWords.size(); ++k) {
        if (!typeWords[k].empty())
            wordIndex.emplace(typeWords[k], k);
    }
    std::vector<WordOccurrences> occurrences(typeWords.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != TokenKind::Word)
            continue;
        const auto found = wordIndex.find(base::UpperAscii(tokens[i].text));
        if (found == wordIndex.end())
            continue;
        const int token = static_cast<int>(i);
        const auto span = ColumnAround(chain, token);
        if (!span)
            continue;
        WordOccurrences& word = occurrences[found->second];
        word.tokens.push_back(token);
        word.keys.push_back(DefinitionKey(chain, *span));
        word.byKey[word.keys.back()].push_back(token);
    }
    return occurrences;
}

// Removes the first remaining occurrence's piece and every piece of the same text; false when
// the word has no occurrence left.
bool RemoveFirstPiece(TokenChain& chain, WordOccurrences& word) {
    while (word.cursor < word.tokens.size() && !chain.Alive(word.tokens[word.cursor])) {
        ++word.cursor;
    }
    if (word.cursor == word.tokens.size())
        return false;
    const int first = word.tokens[word.cursor];
    const Piece firstPiece = PieceOf(chain, *ColumnAround(chain, first));
    const std::string pieceText = base::LowerAscii(chain.Text(firstPiece.first, firstPiece.last));
    for (int token : word.byKey[word.keys[word.cursor]]) {
        if (!chain.Alive(token))
            continue;
        const Piece piece = PieceOf(chain, *ColumnAround(chain, token));
        if (base::LowerAscii(chain.Text(piece.first, piece.last)) == pieceText) {
            chain.Remove(piece.first, piece.last);
        }
    }
    return true;
}

}  // namespace

void RemoveColumnsOfTypes(std::vector<Token>& tokens, const std::vector<std::string>& typeWords) {
    std::size_t lastWord = typeWords.size();
    for (std::size_t k = 0; k < typeWords.size(); ++k) {
        if (!typeWords[k].empty())
            lastWord = k;
    }
    if (lastWord == typeWords.size() || tokens.empty())
        return;

    TokenChain chain(tokens);
    std::vector<WordOccurrences> occurrences = FindOccurrences(chain, tokens, typeWords);
    bool lastWordFound = false;
    do {
        lastWordFound = false;
        for (std::size_t k = 0; k <= lastWord; ++k) {
            if (RemoveFirstPiece(chain, occurrences[k]) && k == lastWord)
                lastWordFound = true;
        }
    } while (lastWordFound);

    std::vector<Token> kept;
    kept.reserve(tokens.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (chain.Alive(static_cast<int>(i)))
            kept.push_back(std::move(tokens[i]));
    }
    tokens = std::move(kept);
}

}  // namespace tessel::sqlwords
