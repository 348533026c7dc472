#include "core/db/drivers/text/record_reader.h"

#include <csv.h>

#include <cerrno>
#include <cstring>

#include "core/base/text.h"

namespace tessel::db::text {
namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int OnlyBlank(unsigned char c) {
    return c == ' ' ? 1 : 0;
}

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

}  // namespace

// libcsv with the record being built; its callbacks move finished records to `ready`.
struct RecordReader::Parser {
    csv_parser csv{};
    RecordReader* reader = nullptr;
    Record building;
    std::size_t recordBytes = 0;

    static void OnField(void* data, std::size_t size, void* self) {
        auto& parser = *static_cast<Parser*>(self);
        if (data == nullptr)
            parser.building.fields.emplace_back();
        else
            parser.building.fields.emplace_back(parser.reader->codePage_.Decode(
                std::string_view(static_cast<const char*>(data), size)));
    }
    static void OnRecordEnd(int, void* self) {
        auto& parser = *static_cast<Parser*>(self);
        parser.reader->ready_.push_back(std::move(parser.building));
        parser.building = Record{};
        parser.recordBytes = 0;
    }
    // libcsv's states: 0 before a record, 2 inside a field.
    bool BetweenRecords() const { return csv.pstate == 0 && building.fields.empty(); }
    bool InOpenQuote() const { return csv.pstate == 2 && csv.quoted != 0; }
};

RecordReader::RecordReader(std::string path, const TableFormat& format)
    : path_(std::move(path)), format_(format), codePage_(CodePageOf(format, path_)) {
    file_ = std::fopen(path_.c_str(), "rb");
    if (file_ == nullptr) {
        throw EngineError(
            errno == ENOENT ? err::kFileMissing : err::kCannotOpenFile,
            "The file '" + path_ + "' cannot be opened: " + std::strerror(errno) + ".");
    }
    if (format_.layout == Layout::Delimited) {
        parser_ = std::make_unique<Parser>();
        parser_->reader = this;
        csv_init(&parser_->csv, CSV_STRICT_FINI | CSV_EMPTY_IS_NULL);
        csv_set_delim(&parser_->csv, static_cast<unsigned char>(format_.delimiter));
        csv_set_space_func(&parser_->csv, OnlyBlank);
    }
}

RecordReader::~RecordReader() {
    if (parser_)
        csv_free(&parser_->csv);
    if (file_)
        std::fclose(file_);
}

std::string RecordReader::Where(std::size_t line) const {
    return "The file '" + path_ + "' cannot be read at line " + std::to_string(line) + ": ";
}

bool RecordReader::NextLine(std::string_view& line) {
    for (;;) {
        const std::size_t newline = buffer_.find('\n', position_);
        if (newline != std::string::npos || (atEnd_ && position_ < buffer_.size())) {
            const std::size_t end = newline == std::string::npos ? buffer_.size() : newline + 1;
            line = std::string_view(buffer_).substr(position_, end - position_);
            position_ = end;
            ++lineNumber_;
            if (first_ && line.substr(0, kByteOrderMark.size()) == kByteOrderMark)
                line.remove_prefix(kByteOrderMark.size());
            first_ = false;
            return true;
        }
        if (atEnd_)
            return false;
        buffer_.erase(0, position_);
        position_ = 0;
        if (buffer_.size() > kMaxRecordBytes) {
            throw EngineError(err::kUnreadableDatabase,
                              Where(lineNumber_ + 1) + "the line is longer than " +
                                  std::to_string(kMaxRecordBytes >> 20) + " MB.");
        }
        const std::size_t had = buffer_.size();
        buffer_.resize(had + kBlockBytes);
        const std::size_t got = std::fread(buffer_.data() + had, 1, kBlockBytes, file_);
        buffer_.resize(had + got);
        if (got < kBlockBytes) {
            if (std::ferror(file_)) {
                throw EngineError(err::kUnreadableDatabase,
                                  Where(lineNumber_ + 1) + std::strerror(errno) + ".");
            }
            atEnd_ = true;
        }
    }
}

void RecordReader::ParseLine(std::string_view line) {
    Parser& parser = *parser_;
    if (parser.BetweenRecords())
        parser.building.line = lineNumber_;
    const std::size_t done = csv_parse(&parser.csv, line.data(), line.size(), Parser::OnField,
                                       Parser::OnRecordEnd, &parser);
    if (done != line.size()) {
        throw EngineError(err::kUnreadableDatabase,
                          Where(lineNumber_) + csv_strerror(csv_error(&parser.csv)) + ".");
    }
    if (!parser.BetweenRecords()) {
        parser.recordBytes += line.size();
        if (parser.recordBytes > kMaxRecordBytes) {
            throw EngineError(err::kUnreadableDatabase,
                              Where(parser.building.line) + "the record is longer than " +
                                  std::to_string(kMaxRecordBytes >> 20) + " MB.");
        }
    }
}

void RecordReader::CutFixedLine(std::string_view line) {
    line = WithoutLineEnd(line);
    if (line.find_first_not_of(" \t") == std::string_view::npos)
        return;
    const std::string text = codePage_.Decode(line);
    Record record;
    record.line = lineNumber_;
    std::size_t at = 0;
    for (const auto& column : format_.columns) {
        // Widths count characters: a UTF-8 character's continuation bytes go with it.
        std::size_t end = at;
        for (long taken = 0; end < text.size() && taken < column.width; ++taken) {
            ++end;
            while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                ++end;
        }
        const std::string field = base::Trim(std::string_view(text).substr(at, end - at), " ");
        if (field.empty())
            record.fields.emplace_back();
        else
            record.fields.emplace_back(field);
        at = end;
    }
    ready_.push_back(std::move(record));
}

bool RecordReader::Next(Record& record) {
    while (ready_.empty()) {
        std::string_view line;
        if (!NextLine(line)) {
            if (parser_) {
                const std::size_t start = parser_->building.line;
                if (parser_->InOpenQuote() || csv_fini(&parser_->csv, Parser::OnField,
                                                       Parser::OnRecordEnd, parser_.get()) != 0) {
                    throw EngineError(err::kUnreadableDatabase,
                                      Where(start) +
                                          "a quoted value that begins on this line "
                                          "is not closed before the end of the file.");
                }
            }
            if (ready_.empty())
                return false;
            break;
        }
        if (parser_)
            ParseLine(line);
        else
            CutFixedLine(line);
    }
    record = std::move(ready_.front());
    ready_.pop_front();
    return true;
}

}  // namespace tessel::db::text
