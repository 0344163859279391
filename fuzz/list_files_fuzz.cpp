// The three list-file readers on any bytes (the first byte chooses the file): what is read and
// written back reads again as the same entries.
#include "app/logic/user_error.h"
#include "fuzz_check.h"
#include "lists/logic/conversion_tables.h"
#include "lists/logic/list_tokens.h"
#include "lists/logic/template_list.h"
#include "lists/logic/value_sets.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace zorvan;
using namespace zorvan::lists;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        switch (data[0] % 3) {
        case 0: {
            const auto sets = parseValueSets(bytes);
            FUZZ_CHECK(parseValueSets(valueSetFileBytes(sets)) == sets);
            break;
        }
        case 1: {
            const auto tables = parseConversionTables(bytes);
            FUZZ_CHECK(parseConversionTables(conversionTableFileBytes(tables)) == tables);
            break;
        }
        default: {
            // Written as a new file is: each entry followed by CR LF.
            const auto entries = parseTemplateList(bytes);
            std::string written;
            for (const std::string& entry : entries)
                written += entry + "\r\n";
            FUZZ_CHECK(parseTemplateList(encodeListFile(written)) == entries);
            break;
        }
        }
    } catch (const UserError&) {
        // entries the file cannot hold are refused before anything is written
    }
    return 0;
}
