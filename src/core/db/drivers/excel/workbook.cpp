#include "core/db/drivers/excel/workbook.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/db/drivers/excel/compound_file.h"
#include "core/db/drivers/excel/xls_reader.h"
#include "core/db/drivers/excel/zip_reader.h"
#include "core/db/errors.h"

namespace tessel::db::excel {
namespace {

WorkbookKind KindOfBytes(std::string_view head) {
    if (head.size() >= 8 && std::memcmp(head.data(), kCompoundSignature, 8) == 0)
        return WorkbookKind::Biff;
    // A bare BIFF 2 to 4 stream begins with its BOF record.
    if (head.size() >= 4 && head[0] == 0x09 &&
        (head[1] == 0x00 || head[1] == 0x02 || head[1] == 0x04 || head[1] == 0x08))
        return WorkbookKind::Biff;
    if (head.size() >= 4 && std::memcmp(head.data(), "PK\x03\x04", 4) == 0)
        return WorkbookKind::Zip;
    return WorkbookKind::None;
}

}  // namespace

WorkbookKind KindOfFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[8] = {};
    file.read(head, sizeof head);
    return KindOfBytes(std::string_view(head, static_cast<std::size_t>(file.gcount())));
}

Workbook ReadWorkbook(const std::string& path) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code))
        throw EngineError(err::kFileMissing, "The workbook '" + path + "' does not exist.");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw EngineError(err::kCannotOpenFile, "The workbook '" + path + "' cannot be opened.");
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    switch (KindOfBytes(bytes)) {
        case WorkbookKind::Biff:
            return ReadXls(path, bytes);
        case WorkbookKind::Zip:
            return ReadZippedWorkbook(path);
        case WorkbookKind::None:
            break;
    }
    throw EngineError(err::kUnreadableDatabase,
                      "The file '" + path +
                          "' is not a workbook: it is neither a classic workbook (.xls) nor a "
                          "zipped one (.xlsx, .ods).");
}

}  // namespace tessel::db::excel
