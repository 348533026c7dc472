// libmdb's header, included after the headers it includes inside its extern "C" block, so that
// glib's C++ parts are not declared with C linkage.
#pragma once

#include <glib.h>
#include <iconv.h>

#include <mdbtools.h>
