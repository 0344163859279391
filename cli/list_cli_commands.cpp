// zorvan-cli fill and macro: the placeholder pass with a stored value set and the macro pass with
// a stored conversion table, on a document.
#include "cli/commands.h"

#include "lists/logic/list_passes.h"

#include <ostream>

namespace zorvan::cli {

namespace {

// The list file's bytes: --list PATH, else the file the lookup finds. Throws a runtime_error
// (exit 1) naming the file when there is none or it cannot be read.
std::string listFileBytes(const DocumentOptions& options, const char* fileName)
{
    if (options.has("--list")) {
        const QString path = QString::fromStdString(options.text("--list"));
        if (std::optional<std::string> bytes = lists::readListFile(path))
            return *bytes;
        throw std::runtime_error(options.text("--list") + " を読めません");
    }
    const QString name = QString::fromLatin1(fileName);
    std::optional<QString> path = lists::findListFile(lists::ListFileLookup::forThisProcess(), name);
    if (!path)
        throw std::runtime_error(std::string(fileName) + " が見つかりません");
    if (std::optional<std::string> bytes = lists::readListFile(*path))
        return *bytes;
    throw std::runtime_error(path->toStdString() + " を読めません");
}

std::string requiredText(const DocumentOptions& options, const std::string& name)
{
    if (!options.has(name) || options.text(name).empty())
        throw UsageError("missing " + name);
    return options.text(name);
}

const CommandOptions kFillOptions{{"--set", "--list"}, {}};
const CommandOptions kMacroOptions{{"--table", "--list"}, {}};

}  // namespace

int runFill(const std::vector<std::string>& args, Io& io)
{
    return runDocumentCommand(args, io, kFillOptions, [](MemoryEditor& editor, const DocumentOptions& options, Io& out) {
        const std::string name = requiredText(options, "--set");
        const std::vector<lists::ValueSet> sets = lists::parseValueSets(listFileBytes(options, lists::kValueSetFileName));
        for (const lists::ValueSet& set : sets) {
            if (set.name == name) {
                lists::runPlaceholderPass(editor, set, nc::Recolour::None);
                return static_cast<int>(Done);
            }
        }
        out.err << "値セット「" << name << "」はありません\n";
        return static_cast<int>(Refused);
    });
}

int runMacro(const std::vector<std::string>& args, Io& io)
{
    return runDocumentCommand(args, io, kMacroOptions, [](MemoryEditor& editor, const DocumentOptions& options, Io& out) {
        const std::string name = requiredText(options, "--table");
        const std::vector<lists::TDoubleGrid> tables =
            lists::parseConversionTables(listFileBytes(options, lists::kConversionTableFileName));
        for (const lists::TDoubleGrid& table : tables) {
            if (table.name == name) {
                lists::runMacroPass(editor, table, nc::Recolour::None);
                return static_cast<int>(Done);
            }
        }
        out.err << "変換表「" << name << "」はありません\n";
        return static_cast<int>(Refused);
    });
}

}  // namespace zorvan::cli
