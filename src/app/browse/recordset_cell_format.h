// How the view grid shows one value of a recordset: Null distinct from an empty text, binary
// data as a short hexadecimal preview, numbers and dates in the person's locale.
#pragma once

#include <QLocale>
#include <QString>

#include "core/db/engine.h"
#include "core/script/recordset_file.h"

namespace tessel::app {

// What a Null cell shows (drawn greyed and italic, so that it is never taken for a text).
inline constexpr const char* kNullCellText = "Null";
// Bytes of a binary value shown before the preview is cut.
inline constexpr int kBinaryPreviewBytes = 16;

// The text of a cell of a column. Dates are the recordset's ISO-8601 texts ("2001-02-03",
// "2001-02-03 04:05:06", "04:05:06") in a date or time column.
QString CellDisplayText(const RecordsetCell& cell, const db::ColumnInfo& column,
                        const QLocale& locale);
// "0x" followed by the first bytes in hexadecimal, with "..." and the size when cut.
QString BinaryPreview(const std::string& bytes);
// True for a column whose values are dates or times.
bool IsDateColumn(const db::ColumnInfo& column);
// The locale's date and time format with seconds and without the time zone.
QString DateTimeFormat(const QLocale& locale);
QString TimeFormat(const QLocale& locale);

}  // namespace tessel::app
