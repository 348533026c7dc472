#include "app/browse/tree_images.h"

#include <QFile>

#include "app/browse/tree_node_keys.h"
#include "core/session/app_paths.h"

namespace tessel::app {

QHash<QString, QIcon> LoadTreeImages() {
    const QString directory = QString::fromStdString(DataDirectory()) + "/icons/tree/";
    QHash<QString, QIcon> images;
    for (const char* key :
         {treekeys::kImageTable, treekeys::kImageQuery, treekeys::kImageIndex,
          treekeys::kImageProperty, treekeys::kImageAttached, treekeys::kImageField}) {
        const QString path = directory + key + ".svg";
        images.insert(key, QFile::exists(path) ? QIcon(path) : QIcon());
    }
    return images;
}

}  // namespace tessel::app
