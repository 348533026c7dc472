#include "core/db/drivers/dbf/dbf_codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

namespace tessel::db::dbf {
namespace {

// Language-driver bytes and the code pages they name.
constexpr std::array<std::pair<std::uint8_t, const char*>, 65> kDrivers{{
    {0x01, "CP437"},
    {0x02, "CP850"},
    {0x03, "CP1252"},
    {0x04, "MACINTOSH"},
    {0x08, "CP865"},
    {0x09, "CP437"},
    {0x0A, "CP850"},
    {0x0B, "CP437"},
    {0x0D, "CP437"},
    {0x0E, "CP850"},
    {0x0F, "CP437"},
    {0x10, "CP850"},
    {0x11, "CP437"},
    {0x12, "CP850"},
    {0x13, "CP932"},
    {0x14, "CP850"},
    {0x15, "CP437"},
    {0x16, "CP850"},
    {0x17, "CP865"},
    {0x18, "CP437"},
    {0x19, "CP437"},
    {0x1A, "CP850"},
    {0x1B, "CP437"},
    {0x1C, "CP863"},
    {0x1D, "CP850"},
    {0x1F, "CP852"},
    {0x22, "CP852"},
    {0x23, "CP852"},
    {0x24, "CP860"},
    {0x25, "CP850"},
    {0x26, "CP866"},
    {0x37, "CP850"},
    {0x40, "CP852"},
    {0x4D, "CP936"},
    {0x4E, "CP949"},
    {0x4F, "CP950"},
    {0x50, "CP874"},
    {0x57, "CP1252"},
    {0x58, "CP1252"},
    {0x59, "CP1252"},
    {0x64, "CP852"},
    {0x65, "CP866"},
    {0x66, "CP865"},
    {0x67, "CP861"},
    {0x6A, "CP737"},
    {0x6B, "CP857"},
    {0x6C, "CP863"},
    {0x78, "CP950"},
    {0x79, "CP949"},
    {0x7A, "CP936"},
    {0x7B, "CP932"},
    {0x7C, "CP874"},
    {0x7D, "CP1255"},
    {0x7E, "CP1256"},
    {0x86, "CP737"},
    {0x87, "CP852"},
    {0x88, "CP857"},
    {0x96, "MAC-CYRILLIC"},
    {0x97, "MACCENTRALEUROPE"},
    {0x98, "MACGREEK"},
    {0xC8, "CP1250"},
    {0xC9, "CP1251"},
    {0xCA, "CP1254"},
    {0xCB, "CP1253"},
    {0xCC, "CP1257"},
}};

constexpr const char* kUnmarkedFallback = "CP1252";

// Every code page of the table holds ASCII as it is.
bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

struct TextCodec::Converter {
    Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid())
            iconv_close(handle);
    }
    bool Valid() const { return handle != reinterpret_cast<iconv_t>(-1); }

    // Nothing when a byte sequence cannot be converted.
    std::optional<std::string> Convert(std::string_view input) {
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        std::string output(input.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* out = output.data();
        std::size_t outLeft = output.size();
        while (inLeft > 0) {
            if (iconv(handle, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
                if (errno != E2BIG)
                    return std::nullopt;
                const std::size_t used = output.size() - outLeft;
                output.resize(output.size() * 2);
                out = output.data() + used;
                outLeft = output.size() - used;
            }
        }
        if (iconv(handle, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;
        output.resize(output.size() - outLeft);
        return output;
    }

    iconv_t handle;
};

std::optional<std::string> CodePageOf(std::uint8_t languageDriver) {
    for (const auto& [byte, name] : kDrivers) {
        if (byte == languageDriver)
            return std::string(name);
    }
    return std::nullopt;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        if (lead < 0x80)
            extra = 0;
        else if (lead >= 0xC2 && lead <= 0xDF)
            extra = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            extra = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= text.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

TextCodec::TextCodec(std::uint8_t languageDriver) {
    auto page = CodePageOf(languageDriver);
    if (page) {
        toUtf8_ = std::make_unique<Converter>("UTF-8", page->c_str());
        fromUtf8_ = std::make_unique<Converter>(page->c_str(), "UTF-8");
        if (toUtf8_->Valid() && fromUtf8_->Valid())
            return;
    }
    unmarked_ = true;
    toUtf8_ = std::make_unique<Converter>("UTF-8", kUnmarkedFallback);
    fromUtf8_.reset();
}

TextCodec::~TextCodec() = default;

std::string TextCodec::Decode(std::string_view stored) {
    if (IsAscii(stored))
        return std::string(stored);
    if (unmarked_ && IsValidUtf8(stored))
        return std::string(stored);
    if (toUtf8_->Valid()) {
        if (auto text = toUtf8_->Convert(stored))
            return *text;
    }
    // Bytes the code page does not define: keep the ASCII ones, mark the others.
    std::string text;
    for (char c : stored)
        text += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
    return text;
}

std::optional<std::string> TextCodec::Encode(std::string_view text) {
    if (IsAscii(text))
        return std::string(text);
    if (unmarked_)
        return std::string(text);
    return fromUtf8_->Convert(text);
}

}  // namespace tessel::db::dbf
