#include "app/browse/recordset_cell_format.h"

#include <QDateTime>
#include <cmath>

namespace tessel::app {

namespace {

constexpr double kSmallestPlainReal = 1e-5;
constexpr double kLargestPlainReal = 1e15;

using Kind = db::ValueView::Kind;

// The locale's long time format carries the time zone, which a stored value does not have;
// its unquoted "t" letters and the space before them are dropped.
QString WithoutTimeZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (const QChar character : format) {
        if (character == '\'') {
            quoted = !quoted;
        }
        if (!quoted && character == 't') {
            while (result.endsWith(' ')) {
                result.chop(1);
            }
            continue;
        }
        result.append(character);
    }
    return result.trimmed();
}

QString DateText(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() == 10) {
        const QDate date = QDate::fromString(trimmed, Qt::ISODate);
        if (date.isValid()) {
            return locale.toString(date, QLocale::ShortFormat);
        }
    }
    if (trimmed.size() <= 12 && trimmed.contains(':') && !trimmed.contains('-')) {
        const QTime time = QTime::fromString(trimmed, Qt::ISODateWithMs);
        if (time.isValid()) {
            return locale.toString(time, TimeFormat(locale));
        }
    }
    QString dateTimeText = trimmed;
    dateTimeText.replace(' ', 'T');
    const QDateTime dateTime = QDateTime::fromString(dateTimeText, Qt::ISODateWithMs);
    if (dateTime.isValid()) {
        return locale.toString(dateTime, DateTimeFormat(locale));
    }
    return text;  // not a date after all: shown as stored
}

}  // namespace

QString TimeFormat(const QLocale& locale) {
    return WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

QString DateTimeFormat(const QLocale& locale) {
    return locale.dateFormat(QLocale::ShortFormat) + ' ' + TimeFormat(locale);
}

bool IsDateColumn(const db::ColumnInfo& column) {
    namespace ft = db::ftype;
    if (column.type == ft::kDate || column.type == ft::kTime || column.type == ft::kTimeStamp) {
        return true;
    }
    const QString declared = QString::fromStdString(column.declaredType).toUpper();
    return declared.contains("DATE") || declared.contains("TIME");
}

QString BinaryPreview(const std::string& bytes) {
    const QByteArray shown = QByteArray(bytes.data(), static_cast<qsizetype>(std::min<std::size_t>(
                                                          bytes.size(), kBinaryPreviewBytes)));
    QString text = "0x" + QString::fromLatin1(shown.toHex().toUpper());
    if (bytes.size() > static_cast<std::size_t>(kBinaryPreviewBytes)) {
        text += QString("... (%1 bytes)").arg(bytes.size());
    }
    return text;
}

QString CellDisplayText(const RecordsetCell& cell, const db::ColumnInfo& column,
                        const QLocale& locale) {
    switch (cell.kind) {
        case Kind::Null:
            return kNullCellText;
        case Kind::Integer:
            if (column.type == db::ftype::kBoolean) {
                return cell.integer != 0 ? "True" : "False";
            }
            return locale.toString(static_cast<qlonglong>(cell.integer));
        case Kind::Real: {
            // Written out in full where that stays readable (a currency of a million is
            // "1000000", not "1e+06"); with an exponent only for the very large and very small.
            const double size = std::fabs(cell.real);
            const bool plain =
                size == 0 || (size >= kSmallestPlainReal && size < kLargestPlainReal);
            return locale.toString(cell.real, plain ? 'f' : 'g', QLocale::FloatingPointShortest);
        }
        case Kind::Text: {
            const QString text =
                QString::fromUtf8(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size()));
            return IsDateColumn(column) ? DateText(text, locale) : text;
        }
        case Kind::Blob:
            return BinaryPreview(cell.bytes);
    }
    return QString();
}

}  // namespace tessel::app
