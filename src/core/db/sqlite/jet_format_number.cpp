#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "core/db/sqlite/decimal_digits.h"
#include "core/db/sqlite/jet_format.h"

namespace tessel::db::sqlite {
namespace {

std::string IntegerDigits(const Decimal& value) {
    if (value.exponent <= 0)
        return {};
    std::string digits = value.digits.substr(0, static_cast<std::size_t>(value.exponent));
    digits.resize(static_cast<std::size_t>(value.exponent), '0');
    return digits;
}

// The first `count` digits after the point.
std::string FractionDigits(const Decimal& value, int count) {
    std::string digits;
    for (int i = 0; i < count; ++i) {
        const long at = static_cast<long>(value.exponent) + i;
        digits += at >= 0 && at < static_cast<long>(value.digits.size())
                      ? value.digits[static_cast<std::size_t>(at)]
                      : '0';
    }
    return digits;
}

// One section of a custom number format, read into its placeholders and literals.
struct Section {
    std::vector<FormatChar> chars;
    int integerPlaces = 0;  // 0 and # before the point
    int decimalPlaces = 0;  // 0 and # after the point
    int decimalZeros = 0;   // decimals always shown: up to the last 0 after the point
    int exponentZeros = 0;  // digits the exponent always shows
    bool grouping = false;  // a comma between integer placeholders
    int scaling = 0;        // commas right after the integer placeholders divide by 1000
    int percents = 0;       // each % multiplies by 100
    std::size_t exponentAt = std::string::npos;  // the E of E+ or E-
};

bool IsPlaceholder(const FormatChar& c) {
    return !c.literal && (c.c == '0' || c.c == '#');
}

bool IsExponent(const std::vector<FormatChar>& chars, std::size_t i) {
    return !chars[i].literal && (chars[i].c == 'E' || chars[i].c == 'e') && i + 1 < chars.size() &&
           !chars[i + 1].literal && (chars[i + 1].c == '+' || chars[i + 1].c == '-');
}

Section ReadSection(std::string_view text) {
    Section section;
    section.chars = FormatChars(text);
    const auto& chars = section.chars;
    bool afterPoint = false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (chars[i].literal)
            continue;
        if (section.exponentAt == std::string::npos && IsExponent(chars, i)) {
            section.exponentAt = i;
            for (std::size_t j = i + 2; j < chars.size() && IsPlaceholder(chars[j]); ++j)
                section.exponentZeros += chars[j].c == '0' ? 1 : 0;
            break;
        }
        if (chars[i].c == '%')
            ++section.percents;
        if (chars[i].c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (IsPlaceholder(chars[i]) && afterPoint) {
            ++section.decimalPlaces;
            if (chars[i].c == '0')
                section.decimalZeros = section.decimalPlaces;
        } else if (IsPlaceholder(chars[i])) {
            ++section.integerPlaces;
        } else if (chars[i].c == ',' && !afterPoint && section.integerPlaces > 0) {
            bool placeholderFollows = false;
            for (std::size_t j = i + 1; j < chars.size() && !placeholderFollows; ++j) {
                if (!chars[j].literal && chars[j].c == '.')
                    break;
                placeholderFollows = IsPlaceholder(chars[j]);
            }
            if (placeholderFollows)
                section.grouping = true;
            else
                ++section.scaling;
        }
    }
    return section;
}

// Writes `magnitude` into the section's placeholders; the sign is the caller's.
std::string Render(const Section& section, double magnitude) {
    magnitude *= std::pow(100.0, section.percents) / std::pow(1000.0, section.scaling);
    const bool scientific = section.exponentAt != std::string::npos;
    int exponent = 0;
    Decimal value = DecimalOf(magnitude);
    if (scientific && !value.digits.empty()) {
        const int leading = std::max(section.integerPlaces, 1);
        exponent = value.exponent - leading;
        value.exponent = leading;
        value = RoundAt(value, section.decimalPlaces, Halves::AwayFromZero);
        if (value.exponent > leading) {  // 9.99 rounded up to 10.0
            ++exponent;
            value.exponent = leading;
        }
    } else {
        value = RoundAt(value, section.decimalPlaces, Halves::AwayFromZero);
    }
    const std::string integer = IntegerDigits(value);
    const std::string fraction = FractionDigits(value, section.decimalPlaces);
    int shownDecimals = section.decimalZeros;
    for (int i = section.decimalPlaces; i > shownDecimals; --i) {
        if (fraction[static_cast<std::size_t>(i - 1)] != '0') {
            shownDecimals = i;
            break;
        }
    }

    std::string out;
    const int length = static_cast<int>(integer.size());
    // A digit at `position` from the right of the integer part, with its thousands comma.
    const auto digit = [&](int position, char shown) {
        out += shown;
        if (section.grouping && position > 0 && position % 3 == 0)
            out += ',';
    };
    int placeholder = 0;  // integer placeholders written so far
    int decimal = 0;      // decimal placeholders written so far
    bool afterPoint = false;
    const auto& chars = section.chars;
    const std::size_t end = scientific ? section.exponentAt : chars.size();
    for (std::size_t i = 0; i < end; ++i) {
        const FormatChar& c = chars[i];
        if (IsPlaceholder(c) && !afterPoint) {
            const int position = section.integerPlaces - 1 - placeholder++;
            if (position == section.integerPlaces - 1) {  // the first takes the extra digits
                for (int extra = length - 1; extra > position; --extra)
                    digit(extra, integer[static_cast<std::size_t>(length - 1 - extra)]);
            }
            if (position < length)
                digit(position, integer[static_cast<std::size_t>(length - 1 - position)]);
            else if (c.c == '0')
                digit(position, '0');
        } else if (IsPlaceholder(c)) {
            if (decimal < shownDecimals)
                out += fraction[static_cast<std::size_t>(decimal)];
            ++decimal;
        } else if (!c.literal && c.c == '.' && !afterPoint) {
            afterPoint = true;
            if (section.integerPlaces == 0)
                out += integer;
            out += '.';
        } else if (!c.literal && c.c == ',') {
            // grouping and scaling commas are not written
        } else {
            out += c.c;
        }
    }
    if (scientific) {
        const char sign = chars[section.exponentAt + 1].c;
        out += chars[section.exponentAt].c;
        if (exponent < 0)
            out += '-';
        else if (sign == '+')
            out += '+';
        char text[16];
        std::snprintf(text, sizeof text, "%0*d", std::max(section.exponentZeros, 1),
                      std::abs(exponent));
        out += text;
        for (std::size_t i = section.exponentAt + 2; i < chars.size(); ++i) {
            if (!IsPlaceholder(chars[i]))
                out += chars[i].c;
        }
    }
    return out;
}

// The sections of a format, split at semicolons outside literal text.
std::vector<std::string> Sections(std::string_view format) {
    std::vector<std::string> sections(1);
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '"') {
            const std::size_t close = format.find('"', i + 1);
            const std::size_t stop = close == std::string_view::npos ? format.size() : close + 1;
            sections.back() += format.substr(i, stop - i);
            i = stop - 1;
        } else if (format[i] == '\\' && i + 1 < format.size()) {
            sections.back() += format.substr(i++, 2);
        } else if (format[i] == ';') {
            sections.emplace_back();
        } else {
            sections.back() += format[i];
        }
    }
    return sections;
}

struct NamedNumber {
    const char* name;
    const char* custom;
};

constexpr NamedNumber kNamedNumbers[] = {
    {"Currency", "$#,##0.00;($#,##0.00)"},
    {"Fixed", "0.00"},
    {"Standard", "#,##0.00"},
    {"Percent", "0.00%"},
    {"Scientific", "0.00E+00"},
    {"Yes/No", "\"Yes\";\"Yes\";\"No\""},
    {"True/False", "\"True\";\"True\";\"False\""},
    {"On/Off", "\"On\";\"On\";\"Off\""},
};

bool Same(std::string_view a, const char* b) {
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

std::string GeneralNumber(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char text[40];
    std::snprintf(text, sizeof text, "%.15G", value);
    return text;
}

}  // namespace

std::string FormatNumber(double value, std::string_view format) {
    if (format.empty() || Same(format, "General Number"))
        return GeneralNumber(value);
    for (const auto& named : kNamedNumbers) {
        if (Same(format, named.name))
            return FormatNumber(value, named.custom);
    }
    const auto sections = Sections(format);
    // An empty section takes the first one's format.
    const auto pick = [&](std::size_t index) {
        return index < sections.size() && !sections[index].empty() ? sections[index] : sections[0];
    };
    if (value == 0 && sections.size() >= 3)
        return Render(ReadSection(pick(2)), 0);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return Render(ReadSection(sections[1]), -value);
    const std::string text = Render(ReadSection(sections[0]), std::fabs(value));
    return value < 0 ? "-" + text : text;
}

bool IsNamedNumberFormat(std::string_view format) {
    if (Same(format, "General Number"))
        return true;
    return std::any_of(std::begin(kNamedNumbers), std::end(kNamedNumbers),
                       [&](const NamedNumber& named) { return Same(format, named.name); });
}

bool NullSection(std::string_view format, std::string& text) {
    const auto sections = Sections(format);
    if (sections.size() < 4)
        return false;
    text.clear();
    for (const auto& c : FormatChars(sections[3]))
        text += c.c;
    return true;
}

}  // namespace tessel::db::sqlite
