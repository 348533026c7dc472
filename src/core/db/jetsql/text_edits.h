// Changes to a statement's text at token offsets, applied in one pass: each edit (anything with
// begin, end and text) replaces the characters from begin to end; an empty range inserts.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::db::jetsql {

// The edits must be in the order of their offsets; where ranges overlap, the first one wins.
template <typename Edit>
std::string ApplyEdits(std::string_view text, const std::vector<Edit>& edits) {
    std::string out;
    std::size_t at = 0;
    for (const auto& edit : edits) {
        out.append(text.substr(at, edit.begin - at));
        out += edit.text;
        at = std::max<std::size_t>(at, edit.end);
    }
    out.append(text.substr(at));
    return out;
}

}  // namespace tessel::db::jetsql
