// A check of a stored property list (the LvProp column of the catalogue) before the reader
// library parses it: the library trusts the lengths inside, and a damaged list (a record of
// length 0, a block longer than the list) makes it loop while it allocates without end.
#pragma once

#include <string_view>

namespace tessel::db::jet {

// True when every block, name and record of the list lies inside it and each record is at
// least as long as its own header and value; an empty list is sound.
bool PropertyListIsSound(std::string_view list);

}  // namespace tessel::db::jet
