#include "cli/output_buffer.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace tessel::cli {

namespace {

// The digits printf's "%.15g" gives: enough to show a double as people typed it, without the
// noise of its last bits.
constexpr int kRealDigits = 15;

}  // namespace

std::string_view RealText(double value, char (&room)[32]) {
    const auto end =
        std::to_chars(room, room + sizeof room, value, std::chars_format::general, kRealDigits).ptr;
    return {room, static_cast<std::size_t>(end - room)};
}

std::string_view IntegerText(std::int64_t value, char (&room)[32]) {
    const auto end = std::to_chars(room, room + sizeof room, value).ptr;
    return {room, static_cast<std::size_t>(end - room)};
}

OutputBuffer::OutputBuffer(std::ostream& out, std::size_t capacity)
    : out_(out), capacity_(std::max<std::size_t>(capacity, 64)), data_(new char[capacity_]) {}

OutputBuffer::~OutputBuffer() {
    Flush();
}

void OutputBuffer::Spaces(std::size_t count) {
    while (count > 0) {
        if (used_ == capacity_)
            Flush();
        const std::size_t now = std::min(count, capacity_ - used_);
        std::memset(data_.get() + used_, ' ', now);
        used_ += now;
        count -= now;
    }
}

// Numbers are written in place; 32 characters hold the longest of either kind.
void OutputBuffer::Integer(std::int64_t value) {
    if (capacity_ - used_ < 32)
        Flush();
    used_ = static_cast<std::size_t>(
        std::to_chars(data_.get() + used_, data_.get() + capacity_, value).ptr - data_.get());
}

void OutputBuffer::Real(double value) {
    if (capacity_ - used_ < 32)
        Flush();
    used_ = static_cast<std::size_t>(std::to_chars(data_.get() + used_, data_.get() + capacity_,
                                                   value, std::chars_format::general, kRealDigits)
                                         .ptr -
                                     data_.get());
}

void OutputBuffer::AppendLong(std::string_view text) {
    Flush();
    if (text.size() >= capacity_) {
        out_.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    std::memcpy(data_.get(), text.data(), text.size());
    used_ = text.size();
}

void OutputBuffer::Flush() {
    if (used_ > 0)
        out_.write(data_.get(), static_cast<std::streamsize>(used_));
    used_ = 0;
    out_.flush();
}

}  // namespace tessel::cli
