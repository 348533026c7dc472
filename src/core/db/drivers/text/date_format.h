// The DateTimeFormat of a schema.ini section: a pattern of y, m, d, h, n (minutes) and s
// letters, as in "dd.mm.yyyy" or "yyyy-mm-dd hh:nn:ss"; "mm" just after an hour or just before
// a second is minutes. Other characters stand for themselves.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_serial.h"

namespace tessel::db::text {

class DateFormat {
  public:
    // Nothing when the pattern holds no day, month and year.
    static std::optional<DateFormat> Compile(std::string_view pattern);

    // The date of a text written in the pattern; nothing unless it names a real date.
    std::optional<base::DateTime> Parse(std::string_view text) const;
    std::string Format(const base::DateTime& value) const;

  private:
    // After Literal in the order of the letters y, m, d, h, n and s.
    enum class Part { Literal, Year, Month, Day, Hour, Minute, Second };
    struct Piece {
        Part part = Part::Literal;
        int letters = 0;  // how many letters wrote it: "yyyy" 4, "d" 1
        std::string literal;
    };
    // The member of a date that a part of the pattern stands for (not for literals).
    static int& FieldOf(base::DateTime& value, Part part);

    std::vector<Piece> pieces_;
};

}  // namespace tessel::db::text
