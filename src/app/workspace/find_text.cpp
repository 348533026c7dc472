#include "app/workspace/find_text.h"

#include <algorithm>

namespace tessel::app {

namespace {

// Upper case one UTF-16 unit at a time: a whole-string conversion may change the length
// ("ß" -> "SS") and with it every position after it.
QString UpperKeepingPositions(const QString& text) {
    QString upper = text;
    for (QChar& c : upper)
        c = c.toUpper();
    return upper;
}

// 1-based position of the first occurrence at or after 1-based `from`; 0 when none.
int FindDown(const QString& haystack, const QString& needle, int from) {
    if (from < 1 || from > haystack.size() + 1)
        return 0;
    const qsizetype index = haystack.indexOf(needle, from - 1, Qt::CaseSensitive);
    return index < 0 ? 0 : static_cast<int>(index) + 1;
}

// 1-based position of the first match among the candidates `from`, from - 1, ... 1.
int FindUp(const QString& haystack, const QString& needle, int from) {
    for (int candidate = std::min<qsizetype>(from, haystack.size()); candidate >= 1; --candidate) {
        if (QStringView(haystack).mid(candidate - 1, needle.size()) == needle)
            return candidate;
    }
    return 0;
}

}  // namespace

FindResult FindStep(const QString& text, int selectionStart, int selectionLength,
                    FindState& state) {
    const bool continuing = state.lastFoundPosition == selectionStart && !state.newSearch;
    const int start = continuing ? selectionStart + 1 : selectionStart;

    QString needle = QString::fromStdString(state.findText);
    QString haystack = text;
    if (!state.matchCase) {
        needle = UpperKeepingPositions(needle);
        haystack = UpperKeepingPositions(haystack);
    }

    int position = 0;
    if (!needle.isEmpty()) {
        position = state.direction == 1 ? FindDown(haystack, needle, start + 1)
                                        : FindUp(haystack, needle, start - 1);
    }

    FindResult result{false, selectionStart, selectionLength};
    if (position > 0) {
        result = {true, position - 1, static_cast<int>(needle.size())};
    }
    state.lastFoundPosition = result.selectionStart;
    state.newSearch = false;
    return result;
}

QString CannotFindMessage(const FindState& state) {
    return "Cannot find \"" + QString::fromStdString(state.findText) + "\"";
}

}  // namespace tessel::app
