// What each G and M code and each address letter means, in Japanese: a table read from a text of
// one code a line ("G83<TAB>深穴ドリルサイクル: …"; "#" lines and empty lines skipped). The table
// the program carries is inspect/data/nc_codes.txt, built into it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan::inspect {

class CodeTable {
public:
    // Reads the table text. A line that names no code or gives it no text is left out and its
    // 1-based number goes to `badLines`.
    static CodeTable read(std::string_view text, std::vector<int>* badLines = nullptr);

    // The text of a G or M code (value as written: 83, 54.1, 3) or, with `address` true, of the
    // letter as an address (X, F, …). Empty for a code the table does not hold.
    std::optional<std::string_view> find(char letter, double value) const;
    std::optional<std::string_view> findAddress(char letter) const;
    // The codes in the table as they are written in it, in the table's order.
    const std::vector<std::string>& codes() const { return codes_; }
    std::size_t size() const { return entries_.size(); }

private:
    // Letter and the code times ten (G54.1 is 541); -1 for an address letter.
    std::map<std::pair<char, long>, std::string> entries_;
    std::vector<std::string> codes_;
};

// The table built from inspect/data/nc_codes.txt (read once).
const CodeTable& builtinCodeTable();
// The text of that file as built into the program.
std::string_view builtinCodeTableText();

// A G or M code written the way the table writes it: G0 as "G00", G54.1 as "G54.1", M3 as "M03".
std::string codeName(char letter, double value);

}  // namespace zorvan::inspect
