#include "core/db/jetsql/quote.h"

namespace tessel::db::jetsql {
namespace {

std::string Quote(std::string_view text, char mark) {
    std::string out;
    out.reserve(text.size() + 2);
    out += mark;
    for (char c : text) {
        out += c;
        if (c == mark)
            out += mark;
    }
    out += mark;
    return out;
}

}  // namespace

std::string QuoteName(std::string_view name) {
    return Quote(name, '"');
}
std::string QuoteText(std::string_view text) {
    return Quote(text, '\'');
}

}  // namespace tessel::db::jetsql
