// One step of the editor's search (Edit > Find next and the find dialog's Find button).
//
// A repeated search from the last match (the selection start still equals the last found
// position and no new search was begun) starts one character further on; a new search may
// match at the caret. Without match case both texts are compared in upper case, character by
// character, so that positions stay where they are. Downwards it takes the first occurrence at
// or after the start; upwards it tries the 1-based positions start - 1, start - 2, ... 1.
#pragma once

#include <QString>

#include "core/session/shared_state.h"

namespace tessel::app {

struct FindResult {
    bool found = false;
    int selectionStart = 0;  // 0-based
    int selectionLength = 0;
};

// `text` is the editor's text; its positions are the editor's selection offsets. The result
// holds the selection to show (the old one when nothing was found). Updates the last found
// position and clears the new-search flag.
FindResult FindStep(const QString& text, int selectionStart, int selectionLength, FindState& state);

// "Cannot find " and the find text as typed, in double quotation marks.
QString CannotFindMessage(const FindState& state);

}  // namespace tessel::app
