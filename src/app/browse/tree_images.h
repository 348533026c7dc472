// The tree's image list: six 16 x 16 pictures, keyed "Table", "Query", "Index", "Property",
// "Attached" and "Field", drawn as SVG files in the installed data's icons/tree directory.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

namespace tessel::app {

// Loads every image; a picture whose file is missing gives a null icon, never a failure.
QHash<QString, QIcon> LoadTreeImages();

}  // namespace tessel::app
