#include "lists/logic/list_tokens.h"

#include "app/logic/document_file.h"

#include <charconv>

namespace zorvan::lists {

bool isTokenSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string encodeToken(std::string_view text)
{
    if (text.empty())
        return "@";
    std::string token(text);
    for (char& c : token) {
        if (c == '\n')
            c = '&';
        else if (c == '\r')
            c = '?';
        else if (c == ' ')
            c = '_';
    }
    return token;
}

std::string decodeToken(std::string_view token)
{
    if (!token.empty() && token.front() == '@')
        return {};
    std::string text(token);
    for (char& c : text) {
        if (c == '&')
            c = '\n';
        else if (c == '?')
            c = '\r';
        else if (c == '_')
            c = ' ';
    }
    return text;
}

void TokenReader::skipSpace()
{
    std::size_t i = 0;
    while (i < rest_.size() && isTokenSpace(rest_[i]))
        ++i;
    rest_.remove_prefix(i);
}

bool TokenReader::atEnd()
{
    skipSpace();
    return rest_.empty();
}

std::optional<std::string_view> TokenReader::next()
{
    skipSpace();
    if (rest_.empty())
        return std::nullopt;
    std::size_t end = 0;
    while (end < rest_.size() && !isTokenSpace(rest_[end]))
        ++end;
    std::string_view token = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return token;
}

std::optional<long> TokenReader::nextCount()
{
    std::optional<std::string_view> token = next();
    if (!token)
        return std::nullopt;
    std::string_view digits = *token;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    long value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value < 0 ? 0 : value;
}

std::string decodeListFile(std::string_view bytes) { return decodeDocument(bytes); }

std::string encodeListFile(std::string_view utf8) { return encodeDocument(utf8); }

std::string withDocumentBreaks(std::string_view text)
{
    if (text.find_first_of("\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace zorvan::lists
