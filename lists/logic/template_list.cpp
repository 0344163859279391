#include "lists/logic/template_list.h"

#include "app/logic/user_error.h"
#include "lists/logic/list_tokens.h"

#include <QDir>

namespace zorvan::lists {

const std::vector<std::string>& defaultTemplates()
{
    static const std::vector<std::string> templates = {
        "G81XYZRF", "G85XYZRF", "G83XYZRQF", "G73XYZRQF", "G84XYZRSF,R1", "G74XYZRSF,R1", "G76XYZRIJ(Q)F",
    };
    return templates;
}

std::string defaultTemplateFileBytes()
{
    std::string bytes;
    for (const std::string& line : defaultTemplates())
        bytes += line + "\r\n";
    return bytes;
}

std::vector<std::string> parseTemplateList(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string> entries;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        entries.push_back(decodeListFile(bytes.substr(0, end)));
        if (end == std::string_view::npos)
            break;
        const std::size_t breakLength = bytes.substr(end, 2) == "\r\n" ? 2 : 1;
        bytes.remove_prefix(end + breakLength);
    }
    return entries;
}

TemplateLoad loadTemplates(const ListFileLookup& lookup)
{
    const QString name = QString::fromLatin1(kTemplateFileName);
    TemplateLoad load;
    if (std::optional<QString> path = findListFile(lookup, name)) {
        if (std::optional<std::string> bytes = readListFile(*path))
            load.entries = parseTemplateList(*bytes);
        else
            load.error = QStringLiteral("ファイル %1 は開けません").arg(QDir::toNativeSeparators(*path)).toStdString();
        return load;
    }
    try {
        writeListFile(QDir(lookup.currentDir).filePath(name), defaultTemplateFileBytes());
    } catch (const UserError&) {
        // The next start tries again; the defaults serve this one.
    }
    load.entries = defaultTemplates();
    return load;
}

}  // namespace zorvan::lists
