#include "core/db/drivers/excel/orcus_styles.h"

#include "core/db/drivers/excel/number_format.h"

namespace tessel::db::excel {

bool StyleFormats::IsDate(std::size_t xf) const {
    if (xf >= cellFormats_.size())
        return false;
    const std::size_t id = cellFormats_[xf];
    if (const auto it = codes_.find(id); it != codes_.end())
        return IsDateFormatCode(it->second);
    return IsBuiltInDateFormat(id);
}

void StyleFormats::set_number_format_identifier(std::size_t id) {
    pendingId_ = id;
}
void StyleFormats::set_number_format_code(std::string_view s) {
    pendingCode_ = s;
}
std::size_t StyleFormats::commit_number_format() {
    codes_[pendingId_] = pendingCode_;
    pendingCode_.clear();
    return pendingId_;
}
void StyleFormats::set_xf_number_format(std::size_t index) {
    pendingFormat_ = index;
}
std::size_t StyleFormats::commit_cell_xf() {
    cellFormats_.push_back(pendingFormat_);
    pendingFormat_ = 0;
    return cellFormats_.size() - 1;
}
std::size_t StyleFormats::commit_cell_style_xf() {
    pendingFormat_ = 0;
    return styleCount_++;
}
std::size_t StyleFormats::commit_dxf() {
    pendingFormat_ = 0;
    return dxfCount_++;
}

}  // namespace tessel::db::excel
