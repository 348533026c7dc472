// A large buffer in front of an output stream: printing millions of values costs one copy each
// and a write per buffer-full, instead of a stream call per value. Numbers are written with
// std::to_chars.
#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <string_view>

namespace tessel::cli {

class OutputBuffer {
  public:
    explicit OutputBuffer(std::ostream& out, std::size_t capacity = std::size_t{1} << 16);
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;
    ~OutputBuffer();

    void Append(std::string_view text) {
        if (text.size() > capacity_ - used_) {
            AppendLong(text);
            return;
        }
        std::memcpy(data_.get() + used_, text.data(), text.size());
        used_ += text.size();
    }
    void Put(char c) {
        if (used_ == capacity_)
            Flush();
        data_[used_++] = c;
    }
    void Spaces(std::size_t count);
    void Integer(std::int64_t value);
    // Exactly as printf's "%.15g" writes it.
    void Real(double value);

    // Hands what is buffered to the stream and flushes the stream.
    void Flush();

  private:
    void AppendLong(std::string_view text);

    std::ostream& out_;
    std::size_t capacity_;
    std::unique_ptr<char[]> data_;
    std::size_t used_ = 0;
};

// The text of Real() and Integer() for measuring widths, without a buffer.
std::string_view RealText(double value, char (&room)[32]);
std::string_view IntegerText(std::int64_t value, char (&room)[32]);

}  // namespace tessel::cli
