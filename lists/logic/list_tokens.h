// The token layout shared by the value set and the macro table files: white-space separated
// tokens, texts written in a token encoding ("@" an empty text, "&" LF, "?" CR, "_" a blank).
//
// Everything here works on the decoded text (UTF-8), character by character, so the second byte
// of a double-byte Shift-JIS character is never taken for one of the token characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvan::lists {

// Blank, tab, CR, LF, vertical tab, form feed: what separates tokens.
bool isTokenSpace(char c);

// The token written for a text.
std::string encodeToken(std::string_view text);
// The text of a token: empty when it starts with "@"; else "&" gives LF, "?" CR, "_" a blank.
std::string decodeToken(std::string_view token);

// The file's decoded text read token by token.
class TokenReader {
public:
    explicit TokenReader(std::string_view text) : rest_(text) {}
    // The next token, or nothing at the end.
    std::optional<std::string_view> next();
    // The next token as a count: nothing at the end or when it is not a decimal integer; a
    // negative count is 0.
    std::optional<long> nextCount();
    bool atEnd();

private:
    void skipSpace();
    std::string_view rest_;
};

// The UTF-8 text of a list file's bytes (Shift-JIS).
std::string decodeListFile(std::string_view bytes);
// The bytes of a list file's text; throws UserError for a character Shift-JIS cannot hold.
std::string encodeListFile(std::string_view utf8);

// The text with every line break (CR LF, a lone CR or a lone LF) as CR LF, the only break the
// document holds.
std::string withDocumentBreaks(std::string_view text);

}  // namespace zorvan::lists
