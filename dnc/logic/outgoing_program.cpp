#include "dnc/logic/outgoing_program.h"

#include "app/logic/document_file.h"
#include "app/logic/user_error.h"

namespace zorvan::dnc {

namespace {

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

bool blank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

}  // namespace

std::string documentBytes(std::string_view editorText, Encoding encoding)
{
    // A byte-order mark means nothing to a control, so none is sent.
    return encodeDocument(editorText, LineEnds::Lf, FileEncoding{encoding, false});
}

void requireProgram(std::string_view lines)
{
    if (lines.empty())
        throw UserError("送るプログラムがありません。", "通信", UserError::Icon::Warning);
}

OutgoingProgram frameProgram(std::string_view text, const DncSettings& settings)
{
    const std::vector<std::string_view> lines = splitLines(text);
    const bool opens = !lines.empty() && lines.front().starts_with('%');
    std::size_t last = lines.size();
    while (last > 0 && blank(lines[last - 1]))
        --last;
    const bool closes = last > 1 && lines[last - 1].starts_with('%');

    const std::string eob = endOfBlockBytes(settings.endOfBlock);
    OutgoingProgram out;
    out.bytes.reserve(text.size() + lines.size() * eob.size() + 2 * settings.feedLength + 8);
    auto addLine = [&](std::string_view line) {
        out.bytes.append(line).append(eob);
        out.lineEnds.push_back(out.bytes.size());
    };
    out.bytes.append(settings.feedLength, '\0');
    if (settings.addPercent && !opens)
        addLine("%");
    for (std::string_view line : lines)
        addLine(line);
    if (settings.addPercent && !closes)
        addLine("%");
    out.bytes.append(settings.feedLength, '\0');
    return out;
}

std::vector<int> nonAsciiLines(std::string_view text)
{
    std::vector<int> found;
    const std::vector<std::string_view> lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (unsigned char c : lines[i])
            if (c >= 0x80) {
                found.push_back(static_cast<int>(i));
                break;
            }
    return found;
}

}  // namespace zorvan::dnc
