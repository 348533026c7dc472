#include "core/db/drivers/text/schema_ini.h"

#include "core/base/text.h"
#include "core/db/names.h"

namespace tessel::db::text {
namespace {

struct Line {
    std::string_view text;  // without its line end
    std::size_t begin = 0;
    std::size_t end = 0;  // after its line end
};

std::vector<Line> LinesOf(const std::string& text) {
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t stop = text.find('\n', at);
        const std::size_t next = stop == std::string::npos ? text.size() : stop + 1;
        if (stop == std::string::npos)
            stop = text.size();
        std::string_view line(text.data() + at, stop - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(Line{line, at, next});
        at = next;
    }
    return lines;
}

// The line end the text uses, for lines the program adds.
std::string LineEndOf(const std::string& text) {
    const std::size_t newline = text.find('\n');
    if (newline != std::string::npos && (newline == 0 || text[newline - 1] != '\r'))
        return "\n";
    return "\r\n";
}

}  // namespace

std::optional<std::string> IniSection::Value(std::string_view key) const {
    for (const auto& [name, value] : entries) {
        if (SameName(name, key))
            return value;
    }
    return std::nullopt;
}

SchemaIni::SchemaIni(std::string text) : text_(std::move(text)) {
    std::size_t number = 0;
    for (const Line& line : LinesOf(text_)) {
        ++number;
        const std::string trimmed = base::Trim(line.text, base::kWhiteSpace);
        if (!trimmed.empty() && trimmed.front() == '[') {
            if (!sections_.empty())
                sections_.back().end = line.begin;
            IniSection section;
            const std::size_t close = trimmed.find(']');
            section.name = base::Trim(
                trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            section.begin = line.begin;
            section.end = text_.size();
            section.firstLine = number;
            sections_.push_back(std::move(section));
            continue;
        }
        if (sections_.empty() || trimmed.empty() || trimmed.front() == ';')
            continue;
        const std::size_t equals = trimmed.find('=');
        if (equals == std::string::npos)
            continue;
        sections_.back().entries.emplace_back(base::Trim(trimmed.substr(0, equals)),
                                              base::Trim(trimmed.substr(equals + 1)));
    }
}

const IniSection* SchemaIni::Find(std::string_view fileName) const {
    for (const auto& section : sections_) {
        if (SameName(section.name, fileName))
            return &section;
    }
    return nullptr;
}

std::string SchemaIni::Replaced(std::string_view fileName, std::string_view sectionText) const {
    if (const IniSection* section = Find(fileName)) {
        return text_.substr(0, section->begin) + std::string(sectionText) +
               text_.substr(section->end);
    }
    std::string text = text_;
    if (!text.empty() && text.back() != '\n')
        text += LineEndOf(text_);
    return text + std::string(sectionText);
}

std::string SchemaIni::Renamed(std::string_view from, std::string_view to) const {
    const IniSection* section = Find(from);
    if (section == nullptr)
        return text_;
    const std::size_t headerEnd = text_.find('\n', section->begin);
    const std::string lineEnd =
        headerEnd == std::string::npos
            ? std::string()
            : (headerEnd > section->begin && text_[headerEnd - 1] == '\r' ? "\r\n" : "\n");
    const std::size_t bodyBegin = headerEnd == std::string::npos ? section->end : headerEnd + 1;
    return text_.substr(0, section->begin) + "[" + std::string(to) + "]" + lineEnd +
           text_.substr(bodyBegin);
}

}  // namespace tessel::db::text
