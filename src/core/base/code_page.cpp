#include "core/base/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <stdexcept>

#include "core/base/text.h"
#include "core/base/utf8.h"

namespace tessel::base {
namespace {

const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);  // what iconv_open returns on failure

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Windows code page numbers whose iconv name is not "CP" and the number.
std::optional<std::string> IconvNameOfNumber(unsigned number) {
    if (number == 65001)
        return "UTF-8";
    if (number == 20127)
        return "ASCII";
    if (number >= 28591 && number <= 28606)
        return "ISO-8859-" + std::to_string(number - 28590);
    if (number == 10000)
        return "MACINTOSH";
    if (number == 20866)
        return "KOI8-R";
    if (number == 21866)
        return "KOI8-U";
    // Two-byte and wide encodings put delimiter bytes inside characters: not for text files.
    if (number == 1200 || number == 1201 || number == 12000 || number == 12001 || number == 65000)
        return std::nullopt;
    return "CP" + std::to_string(number);
}

// Converts all of `in` with `handle`, appending to `out`. Returns the number of bytes of `in`
// converted before the first that the handle refuses (all of them on success).
std::size_t Convert(iconv_t handle, std::string_view in, std::string& out) {
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char* source = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buffer[4096];
    while (left > 0) {
        char* target = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = iconv(handle, &source, &left, &target, &room);
        out.append(buffer, static_cast<std::size_t>(target - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG)
            break;
    }
    if (left == 0) {
        char* target = buffer;
        std::size_t room = sizeof buffer;
        iconv(handle, nullptr, nullptr, &target, &room);  // a stateful encoding's closing bytes
        out.append(buffer, static_cast<std::size_t>(target - buffer));
    }
    return in.size() - left;
}

}  // namespace

struct CodePage::Handles {
    iconv_t decode = kNoHandle;
    iconv_t encode = kNoHandle;
    iconv_t fallback = kNoHandle;  // Windows-1252 to UTF-8, for bytes the code page refuses
    ~Handles() {
        for (iconv_t handle : {decode, encode, fallback}) {
            if (handle != kNoHandle)
                iconv_close(handle);
        }
    }
};

std::optional<std::string> IconvNameOfCodePage(std::string_view name) {
    const std::string word = UpperAscii(Trim(name, kBlanks));
    if (word == "ANSI")
        return "CP1252";
    if (word == "OEM")
        return "CP437";
    if (word == "UTF-8" || word == "UTF8" || word == "UNICODE")
        return "UTF-8";
    unsigned number = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (error != std::errc() || end != word.data() + word.size() || word.empty())
        return std::nullopt;
    return IconvNameOfNumber(number);
}

CodePage::CodePage(std::string_view name) : handles_(std::make_unique<Handles>()) {
    const auto iconvName = IconvNameOfCodePage(name);
    if (iconvName) {
        handles_->decode = iconv_open("UTF-8", iconvName->c_str());
        handles_->encode = iconv_open(iconvName->c_str(), "UTF-8");
    }
    handles_->fallback = iconv_open("UTF-8", "CP1252");
    if (handles_->decode == kNoHandle || handles_->encode == kNoHandle ||
        handles_->fallback == kNoHandle) {
        throw std::invalid_argument("'" + std::string(name) +
                                    "' is not a code page that this system can convert");
    }
    utf8_ = *iconvName == "UTF-8";
}

CodePage::~CodePage() = default;

std::string CodePage::Decode(std::string_view bytes) {
    if (IsAscii(bytes))
        return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    while (!bytes.empty()) {
        const std::size_t done = Convert(handles_->decode, bytes, text);
        bytes.remove_prefix(done);
        if (bytes.empty())
            break;
        // One byte the code page refuses: its Windows-1252 character, else its own code point.
        if (Convert(handles_->fallback, bytes.substr(0, 1), text) == 0)
            AppendUtf8(text, static_cast<unsigned char>(bytes.front()));
        bytes.remove_prefix(1);
    }
    return text;
}

std::optional<std::string> CodePage::Encode(std::string_view text) {
    if (utf8_ || IsAscii(text))
        return std::string(text);
    std::string bytes;
    if (Convert(handles_->encode, text, bytes) != text.size())
        return std::nullopt;
    return bytes;
}

}  // namespace tessel::base
