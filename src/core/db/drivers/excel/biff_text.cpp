#include "core/db/drivers/excel/biff_text.h"

#include <stdexcept>

#include "core/base/code_page.h"
#include "core/db/drivers/excel/biff_records.h"

namespace tessel::db::excel {
namespace {

// The code page name that the text converter knows for a CODEPAGE record's number.
std::string NameOf(std::uint16_t codePage) {
    switch (codePage) {
        case 0:
        case 1200:  // UTF-16: its 8-bit strings are Latin-1 (read below without a converter)
        case 32769:
            return "1252";
        case 367:
            return "20127";
        case 32768:
            return "10000";
        default:
            return std::to_string(codePage);
    }
}

}  // namespace

ByteText::ByteText(std::uint16_t codePage) {
    if (codePage == 1200)
        return;
    // A code page that the system cannot convert reads as Windows-1252, the most common one.
    for (const std::string& name : {NameOf(codePage), std::string("1252")}) {
        try {
            codePage_ = std::make_unique<base::CodePage>(name);
            return;
        } catch (const std::invalid_argument&) {
        }
    }
}

ByteText::~ByteText() = default;

std::string ByteText::Decode(std::string_view bytes) {
    if (codePage_)
        return codePage_->Decode(bytes);
    return CharactersOf(bytes, bytes.size(), false);
}

}  // namespace tessel::db::excel
