// The schema.ini of a text directory: one "[file.ext]" section per file, each a list of
// "Key=Value" lines. Section and key names compare without regard to case. Changes give the
// whole new text with every other section, and anything before the first, byte for byte as it
// was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessel::db::text {

inline constexpr const char* kSchemaIniName = "schema.ini";

struct IniSection {
    std::string name;                                          // between the brackets, trimmed
    std::vector<std::pair<std::string, std::string>> entries;  // key and value, trimmed
    std::size_t begin = 0;  // the section's bytes in the text: from its "[" line ...
    std::size_t end = 0;    // ... to the next section's line or the end
    std::size_t firstLine = 1;

    // The value of the first entry with this key; nothing when there is none.
    std::optional<std::string> Value(std::string_view key) const;
};

class SchemaIni {
  public:
    SchemaIni() = default;
    explicit SchemaIni(std::string text);

    const std::string& Text() const { return text_; }
    const std::vector<IniSection>& Sections() const { return sections_; }
    const IniSection* Find(std::string_view fileName) const;

    // The text with the section of `fileName` replaced by `sectionText` (appended when there is
    // none, removed when `sectionText` is empty).
    std::string Replaced(std::string_view fileName, std::string_view sectionText) const;
    // The text with the section of `from` named `to`, its entries unchanged.
    std::string Renamed(std::string_view from, std::string_view to) const;

  private:
    std::string text_;
    std::vector<IniSection> sections_;
};

}  // namespace tessel::db::text
