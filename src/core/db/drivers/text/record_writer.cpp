#include "core/db/drivers/text/record_writer.h"

#include "core/base/utf8.h"

namespace tessel::db::text {
namespace {

bool IsTextField(const TableFormat& format, std::size_t i) {
    if (i >= format.columns.size())
        return false;
    const int type = format.columns[i].field.type;
    return type == ftype::kText || type == ftype::kMemo;
}

}  // namespace

RecordWriter::RecordWriter(const TableFormat& format, std::string path)
    : format_(format), path_(std::move(path)), codePage_(CodePageOf(format, path_)) {}

std::string RecordWriter::Encoded(const std::string& text) {
    auto bytes = codePage_.Encode(text);
    if (!bytes) {
        throw EngineError(err::kDataTypeMismatch,
                          "The text '" + text + "' holds a character that the code page " +
                              format_.characterSet + " of '" + path_ + "' cannot write.");
    }
    return std::move(*bytes);
}

std::string RecordWriter::Delimited(const std::vector<FieldText>& fields, bool header) {
    std::string line;
    const std::string special = std::string("\"\r\n") + format_.delimiter;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += format_.delimiter;
        if (!fields[i])
            continue;
        const std::string& text = *fields[i];
        const bool quote = (!header && IsTextField(format_, i)) || text.empty() ||
                           text.find_first_of(special) != std::string::npos ||
                           text.front() == ' ' || text.back() == ' ';
        if (!quote) {
            line += Encoded(text);
            continue;
        }
        line += '"';
        for (const char c : Encoded(text)) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

std::string RecordWriter::Fixed(const std::vector<FieldText>& fields) {
    std::string line;
    for (std::size_t i = 0; i < format_.columns.size(); ++i) {
        const std::string text = i < fields.size() && fields[i] ? *fields[i] : std::string();
        const std::size_t characters = base::Utf8CharacterCount(text);
        const auto width = static_cast<std::size_t>(format_.columns[i].width);
        if (characters > width || text.find_first_of("\r\n") != std::string::npos) {
            throw EngineError(err::kFieldTooSmall,
                              "The value '" + text + "' does not fit the " + std::to_string(width) +
                                  " characters of the field '" + format_.columns[i].field.name +
                                  "' in '" + path_ + "'.");
        }
        line += Encoded(text) + std::string(width - characters, ' ');
    }
    return line + "\r\n";
}

std::string RecordWriter::Line(const std::vector<FieldText>& fields, bool header) {
    return format_.layout == Layout::FixedLength ? Fixed(fields) : Delimited(fields, header);
}

std::string RecordWriter::HeaderLine() {
    std::vector<FieldText> names;
    for (const auto& column : format_.columns)
        names.emplace_back(column.field.name);
    return Line(names, true);
}

}  // namespace tessel::db::text
