#include "core/db/drivers/text/table_names.h"

#include "core/base/text.h"

namespace tessel::db::text {
namespace {

bool IsTableExtension(const std::string& extension) {
    const std::string lower = base::LowerAscii(extension);
    return lower == "csv" || lower == "txt" || lower == "tab";
}

}  // namespace

std::string ExtensionOf(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

bool IsTableFileName(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot != std::string::npos && dot > 0 && IsTableExtension(fileName.substr(dot + 1));
}

std::string TableNameOf(const std::string& fileName) {
    std::string name = fileName;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name[dot] = '#';
    return name;
}

std::optional<std::string> FileNameForTable(const std::string& name, const std::string& extension) {
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return std::nullopt;
    const std::size_t mark = name.find_last_of("#.");
    if (mark != std::string::npos && mark > 0 && IsTableExtension(name.substr(mark + 1)))
        return name.substr(0, mark) + "." + name.substr(mark + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    return name + "." + extension;
}

}  // namespace tessel::db::text
