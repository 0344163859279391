#include "app/logic/save_name.h"

namespace zorvan {

QString withDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty())
        return path;
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    if (name.isEmpty() || name.contains('.'))
        return path;
    return path + '.' + suffix;
}

}  // namespace zorvan
