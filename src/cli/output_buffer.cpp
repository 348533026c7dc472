#include "cli/output_buffer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>

namespace tessel::cli {

namespace {

// The digits printf's "%.15g" gives: enough to show a double as people typed it, without the
// noise of its last bits.
constexpr int kRealDigits = 15;

std::string_view Written(char (&room)[32], char* end) {
    return {room, static_cast<std::size_t>(end - room)};
}

// "%.15g" from the shortest digits that read back as the value, which is much faster than
// asking for 15 digits. When those digits are 15 or fewer they are exactly the ones "%.15g"
// rounds to (a normal double is closer to them than half a step of the 15th digit), and only the
// layout is left to do: plain for decimal exponents -4 to 14, else d.ddde+XX.
char* ShortestAsPrintf(char* out, std::string_view scientific) {
    const std::size_t e = scientific.find('e');
    std::string_view mantissa = scientific.substr(0, e);
    if (mantissa.front() == '-') {
        *out++ = '-';
        mantissa.remove_prefix(1);
    }
    char digits[24];
    std::size_t count = 0;
    for (const char c : mantissa) {
        if (c != '.')
            digits[count++] = c;
    }
    int exponent = 0;
    std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1),
                    scientific.data() + scientific.size(), exponent);
    if (exponent < -4 || exponent >= kRealDigits) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            out = std::copy(digits + 1, digits + count, out);
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            *out++ = '0';
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -exponent - 1, '0');
        return std::copy(digits, digits + count, out);
    }
    const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
    if (count <= whole) {
        out = std::copy(digits, digits + count, out);
        return std::fill_n(out, whole - count, '0');
    }
    out = std::copy(digits, digits + whole, out);
    *out++ = '.';
    return std::copy(digits + whole, digits + count, out);
}

}  // namespace

std::string_view RealText(double value, char (&room)[32]) {
    // Whole numbers below 10^15 have at most 15 digits: "%.15g" shows them as integers.
    if (value > -1e15 && value < 1e15) {
        const auto whole = static_cast<std::int64_t>(value);
        if (static_cast<double>(whole) == value && !(whole == 0 && std::signbit(value)))
            return IntegerText(whole, room);
    }
    char scientific[32];
    const auto shortest = std::to_chars(scientific, scientific + sizeof scientific, value,
                                        std::chars_format::scientific);
    const std::string_view text(scientific, static_cast<std::size_t>(shortest.ptr - scientific));
    const std::size_t e = text.find('e');
    // The mantissa is d or d.ddd, after a sign.
    const std::size_t mantissa = e == std::string_view::npos ? 0 : e - (text.front() == '-');
    const std::size_t digits = mantissa > 1 ? mantissa - 1 : mantissa;
    if (e == std::string_view::npos || digits > kRealDigits ||
        std::fabs(value) < std::numeric_limits<double>::min()) {
        // Infinities, NaN, values whose shortest form needs 16 or 17 digits, and subnormal
        // values, whose steps are coarser than 15 digits.
        return Written(room, std::to_chars(room, room + sizeof room, value,
                                           std::chars_format::general, kRealDigits)
                                 .ptr);
    }
    return Written(room, ShortestAsPrintf(room, text));
}

std::string_view IntegerText(std::int64_t value, char (&room)[32]) {
    return Written(room, std::to_chars(room, room + sizeof room, value).ptr);
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

// Integers are written in place; 32 characters hold the longest.
void OutputBuffer::Integer(std::int64_t value) {
    if (capacity_ - used_ < 32)
        Flush();
    used_ = static_cast<std::size_t>(
        std::to_chars(data_.get() + used_, data_.get() + capacity_, value).ptr - data_.get());
}

void OutputBuffer::Real(double value) {
    char room[32];
    Append(RealText(value, room));
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
