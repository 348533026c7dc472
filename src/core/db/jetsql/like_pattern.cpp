#include "core/db/jetsql/like_pattern.h"

#include <cctype>

namespace tessel::db::jetsql {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char OtherCase(char c) {
    return static_cast<char>(std::islower(static_cast<unsigned char>(c))
                                 ? std::toupper(static_cast<unsigned char>(c))
                                 : std::tolower(static_cast<unsigned char>(c)));
}

// The inside of a class, with letters and ranges of letters in both cases.
std::string ClassMembers(std::string_view members) {
    std::string out;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const char c = members[i];
        if (i + 2 < members.size() && members[i + 1] == '-') {
            const char to = members[i + 2];
            out.append({c, '-', to});
            const bool sameCase = (std::islower(static_cast<unsigned char>(c)) &&
                                   std::islower(static_cast<unsigned char>(to))) ||
                                  (std::isupper(static_cast<unsigned char>(c)) &&
                                   std::isupper(static_cast<unsigned char>(to)));
            if (IsAsciiLetter(c) && IsAsciiLetter(to) && sameCase)
                out.append({OtherCase(c), '-', OtherCase(to)});
            i += 2;
            continue;
        }
        out += c;
        if (IsAsciiLetter(c))
            out += OtherCase(c);
    }
    return out;
}

}  // namespace

std::optional<std::string> LikeAsGlob(std::string_view pattern) {
    if (pattern.find_first_of("*?#[") == std::string_view::npos)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '[') {
            // "]" right after "[" or "[!" is a member, as it is in GLOB.
            std::size_t from = i + 1;
            const bool negated = from < pattern.size() && pattern[from] == '!';
            if (negated)
                ++from;
            const auto close = pattern.find(']', from + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            std::string members = ClassMembers(pattern.substr(from, close - from));
            // A leading "^" is a member for the classic engine and a negation for GLOB.
            if (!negated && members == "^") {
                out += '^';
                i = close;
                continue;
            }
            if (!negated && members.front() == '^')
                members = members.substr(1) + "^";
            out += negated ? "[^" : "[";
            out += members;
            out += ']';
            i = close;
        } else if (c == '#') {
            out += "[0-9]";
        } else if (IsAsciiLetter(c)) {
            out.append({'[', c, OtherCase(c), ']'});
        } else if (c == ']') {
            out += "[]]";
        } else {
            out += c;  // "*" and "?" mean in GLOB what they mean here; the rest is literal
        }
    }
    return out;
}

}  // namespace tessel::db::jetsql
