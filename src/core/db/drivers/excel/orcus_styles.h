// The part of a zipped workbook's styles that the driver needs: which cell formats show
// dates. Everything else the styles say (fonts, fills, borders) is passed over.
#pragma once

#include <orcus/spreadsheet/import_interface.hpp>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace tessel::db::excel {

class StyleFormats : public orcus::spreadsheet::iface::import_styles {
  public:
    using underline_t = orcus::spreadsheet::underline_t;
    using underline_width_t = orcus::spreadsheet::underline_width_t;
    using underline_mode_t = orcus::spreadsheet::underline_mode_t;
    using underline_type_t = orcus::spreadsheet::underline_type_t;
    using color_elem_t = orcus::spreadsheet::color_elem_t;
    using strikethrough_style_t = orcus::spreadsheet::strikethrough_style_t;
    using strikethrough_type_t = orcus::spreadsheet::strikethrough_type_t;
    using strikethrough_width_t = orcus::spreadsheet::strikethrough_width_t;
    using strikethrough_text_t = orcus::spreadsheet::strikethrough_text_t;
    using fill_pattern_t = orcus::spreadsheet::fill_pattern_t;
    using border_direction_t = orcus::spreadsheet::border_direction_t;
    using border_style_t = orcus::spreadsheet::border_style_t;
    using hor_alignment_t = orcus::spreadsheet::hor_alignment_t;
    using ver_alignment_t = orcus::spreadsheet::ver_alignment_t;

    // Whether the cell format `xf` shows its number as a date or time.
    bool IsDate(std::size_t xf) const;

    void set_number_format_identifier(std::size_t id) override;
    void set_number_format_code(std::string_view s) override;
    std::size_t commit_number_format() override;
    void set_xf_number_format(std::size_t index) override;
    std::size_t commit_cell_xf() override;
    std::size_t commit_cell_style_xf() override;
    std::size_t commit_dxf() override;

    // Passed over.
    void set_font_count(size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(underline_t) override {}
    void set_font_underline_width(underline_width_t) override {}
    void set_font_underline_mode(underline_mode_t) override {}
    void set_font_underline_type(underline_type_t) override {}
    void set_font_underline_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {
    }
    void set_font_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    void set_strikethrough_style(strikethrough_style_t) override {}
    void set_strikethrough_type(strikethrough_type_t) override {}
    void set_strikethrough_width(strikethrough_width_t) override {}
    void set_strikethrough_text(strikethrough_text_t) override {}
    std::size_t commit_font() override { return 0; }
    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(fill_pattern_t) override {}
    void set_fill_fg_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    void set_fill_bg_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    std::size_t commit_fill() override { return 0; }
    void set_border_count(size_t) override {}
    void set_border_style(border_direction_t, border_style_t) override {}
    void set_border_color(border_direction_t, color_elem_t, color_elem_t, color_elem_t,
                          color_elem_t) override {}
    void set_border_width(border_direction_t, double, orcus::length_unit_t) override {}
    std::size_t commit_border() override { return 0; }
    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    std::size_t commit_cell_protection() override { return 0; }
    void set_number_format_count(size_t) override {}
    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t) override {}
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(hor_alignment_t) override {}
    void set_xf_vertical_alignment(ver_alignment_t) override {}
    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    std::size_t commit_cell_style() override { return 0; }

  private:
    std::size_t pendingId_ = 0;
    std::string pendingCode_;
    std::map<std::size_t, std::string> codes_;  // number format id -> code
    std::size_t pendingFormat_ = 0;
    std::vector<std::size_t> cellFormats_;  // cell format -> number format id
    std::size_t styleCount_ = 0, dxfCount_ = 0;
};

}  // namespace tessel::db::excel
