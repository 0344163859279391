// The name a save dialog's answer stands for: a file name typed without an extension gets the
// dialog's default extension, as the save dialog of the platform may not add it itself.
#pragma once

#include <QString>

namespace zorvan {

inline constexpr char kDefaultSaveSuffix[] = "ncd";

// `path` with "." and `suffix` appended when its file name has no extension; an empty path (the
// dialog was cancelled) stays empty.
QString withDefaultSuffix(const QString& path, const QString& suffix = QString::fromLatin1(kDefaultSaveSuffix));

}  // namespace zorvan
