// The template list file "function.list": one template per line, kept exactly as written.
#pragma once

#include "lists/logic/list_file_lookup.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvan::lists {

inline constexpr const char* kTemplateFileName = "function.list";

// The seven canned cycles written to a new file.
const std::vector<std::string>& defaultTemplates();
// The bytes of a new file: the defaults, each followed by CR LF.
std::string defaultTemplateFileBytes();

// The entries of the file's bytes: a line ends at CR LF, a lone LF or a lone CR; a final break
// adds no empty entry; a NUL byte ends the content. Entries are UTF-8.
std::vector<std::string> parseTemplateList(std::string_view bytes);

struct TemplateLoad {
    std::vector<std::string> entries;
    std::string error;  // set when a file was found but could not be read
};

// Finds and reads the file. When there is none, a new one with the defaults is made in the
// current directory (a failure to write it is not reported) and the defaults are the entries.
TemplateLoad loadTemplates(const ListFileLookup& lookup);

}  // namespace zorvan::lists
