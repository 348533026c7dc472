#include "core/db/jetsql/top_ties.h"

#include <cstdlib>

#include "core/base/text.h"
#include "core/db/jetsql/dml_rewrite.h"

namespace tessel::db::jetsql {
namespace {

struct Span {
    std::size_t first;
    std::size_t last;  // one past
};

// The items of a list between `first` and `last`, split at the commas of its own level.
std::vector<Span> SplitAtCommas(const std::vector<Token>& tokens, std::size_t first,
                                std::size_t last, std::uint32_t depth) {
    std::vector<Span> items;
    std::size_t start = first;
    for (std::size_t i = first; i < last; ++i) {
        if (tokens[i].depth == depth && tokens[i].IsSymbol(",")) {
            items.push_back({start, i});
            start = i + 1;
        }
    }
    if (start < last)
        items.push_back({start, last});
    return items;
}

std::string_view TextOf(std::string_view text, const std::vector<Token>& tokens, Span span) {
    if (span.first >= span.last)
        return {};
    return text.substr(tokens[span.first].begin,
                       tokens[span.last - 1].end - tokens[span.first].begin);
}

struct ListItem {
    std::string_view expression;
    std::string alias;
};

// The window's ORDER BY stands outside the select list, where neither the list's aliases nor
// its positions name anything: a key that is one of them becomes the item's expression.
class Keys {
  public:
    Keys(std::string_view text, const std::vector<Token>& tokens, std::uint32_t depth)
        : text_(text), tokens_(tokens), depth_(depth) {}

    void ReadList(Span list) {
        for (const Span item : SplitAtCommas(tokens_, list.first, list.last, depth_)) {
            ListItem entry{TextOf(text_, tokens_, item), {}};
            if (item.last - item.first >= 3 && tokens_[item.last - 2].IsWord("AS") &&
                tokens_[item.last - 1].IsName()) {
                entry.expression = TextOf(text_, tokens_, {item.first, item.last - 2});
                entry.alias = tokens_[item.last - 1].Value();
            }
            items_.push_back(std::move(entry));
        }
    }

    // Each key's expression, and its direction as written; nothing when a position names no
    // single item (one of "*", or one past a "*", whose columns are not known here).
    std::optional<std::vector<std::pair<std::string, std::string>>> Read(Span order) const {
        std::vector<std::pair<std::string, std::string>> keys;
        for (Span key : SplitAtCommas(tokens_, order.first, order.last, depth_)) {
            std::string direction;
            if (key.last - key.first >= 2 &&
                (tokens_[key.last - 1].IsWord("ASC") || tokens_[key.last - 1].IsWord("DESC"))) {
                direction = std::string(tokens_[key.last - 1].Spelling());
                --key.last;
            }
            auto expression = Expression(key);
            if (!expression)
                return std::nullopt;
            keys.emplace_back(std::move(*expression), direction);
        }
        return keys;
    }

  private:
    std::optional<std::string> Expression(Span key) const {
        const std::string_view written = TextOf(text_, tokens_, key);
        if (key.last - key.first != 1)
            return std::string(written);
        const Token& token = tokens_[key.first];
        if (token.kind == TokenKind::Number) {
            const std::size_t position = std::strtoul(std::string(written).c_str(), nullptr, 10);
            if (position < 1 || position > items_.size())
                return std::nullopt;
            for (std::size_t i = 0; i < position; ++i) {
                if (items_[i].expression.ends_with("*"))
                    return std::nullopt;
            }
            return std::string(items_[position - 1].expression);
        }
        if (token.IsName()) {
            const std::string name = token.Value();
            for (const auto& item : items_) {
                if (!item.alias.empty() && base::LowerAscii(item.alias) == base::LowerAscii(name))
                    return std::string(item.expression);
            }
        }
        return std::string(written);
    }

    std::string_view text_;
    const std::vector<Token>& tokens_;
    std::uint32_t depth_;
    std::vector<ListItem> items_;
};

}  // namespace

std::optional<std::string> TopWithTiesLimit(std::string_view text, const std::vector<Token>& tokens,
                                            const TopSelect& select, const std::string& count) {
    const std::uint32_t depth = tokens[select.select].depth;
    std::optional<std::size_t> from;
    std::optional<std::size_t> order;
    for (std::size_t i = select.list; i < select.end; ++i) {
        if (tokens[i].depth != depth)
            continue;
        if (!from && !order && tokens[i].IsWord("FROM"))
            from = i;
        if (tokens[i].IsWord("ORDER") && i + 1 < select.end && tokens[i + 1].IsWord("BY"))
            order = i;
    }
    if (!order)
        return std::nullopt;
    Keys keys(text, tokens, depth);
    keys.ReadList({select.list, from.value_or(*order)});
    const auto read = keys.Read({*order + 2, select.end});
    if (!read)
        return std::nullopt;
    const auto& ordered = *read;
    const std::string rest(from ? TextOf(text, tokens, {*from, *order}) : std::string_view{});

    // Row numbers and ranks over the same rows in the same order; the first row ranked past
    // `count` is where the ties end. Read in the order of an index on the keys, the scan stops
    // there instead of ranking the whole table.
    std::string window =
        "SELECT row_number() OVER tessel_w AS tessel_pos, rank() OVER tessel_w "
        "AS tessel_rank ";
    std::string orderBy;
    if (select.distinct) {
        // Rows are made distinct after windows are computed, so the ranks are taken over the
        // distinct rows, which carry the keys along.
        std::string inner = "SELECT DISTINCT " +
                            std::string(TextOf(text, tokens, {select.list, from.value_or(*order)}));
        for (std::size_t k = 0; k < ordered.size(); ++k) {
            const std::string name = "tessel_k" + std::to_string(k + 1);
            inner += ", " + ordered[k].first + " AS " + name;
            orderBy += (k ? ", " : "") + name + " " + ordered[k].second;
        }
        window += "FROM (" + inner + " " + rest + ")";
    } else {
        for (std::size_t k = 0; k < ordered.size(); ++k)
            orderBy += (k ? ", " : "") + ordered[k].first + " " + ordered[k].second;
        window += rest;
    }
    window += " WINDOW tessel_w AS (ORDER BY " + orderBy + ")";
    return "coalesce((SELECT tessel_pos - 1 FROM (" + RewriteJetSql(window, Tokenize(window)) +
           ") WHERE tessel_rank > (" + count + ") LIMIT 1), -1)";
}

}  // namespace tessel::db::jetsql
