#include "preview/logic/toolpath.h"

#include "nc/logic/nc_words.h"
#include "preview/logic/shown_number.h"

#include <algorithm>
#include <cstdio>

namespace zorvan::preview {

namespace {

std::string printed(const char* format, double value)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// A code point as UTF-8; a control character or one past Unicode as its code.
std::string characterText(double value)
{
    const auto c = static_cast<std::uint32_t>(value >= 0 && value <= 0x10FFFF ? value : 0xFFFD);
    if (c < 0x20 || c == 0x7F)
        return printed("\\x%02X", c);
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

std::string diagnosticText(const Diagnostic& d)
{
    switch (d.code) {
    case DiagnosticCode::ArcWithoutCentre:
        return "円弧に中心(I/J/K)も半径(R)もありません。直線で描きます";
    case DiagnosticCode::ArcRadiusMismatch:
        return "円弧の始点と終点で半径が " + shownNumber(d.value, 4) + " 違います";
    case DiagnosticCode::ZeroArcWithRadius:
        return "R 指定の円弧の終点が始点と同じです。動きません";
    case DiagnosticCode::RadiusTooSmall:
        return "R" + shownNumber(d.value, 4) + " は始点と終点の距離の半分より小さい値です";
    case DiagnosticCode::BranchSkipped:
        return "分岐と繰り返し(IF/GOTO/WHILE)は追えません。この行を飛ばします";
    case DiagnosticCode::UnsupportedG:
        return printed("G%g は追えません", d.value);
    case DiagnosticCode::UnknownSubprogram:
        return "サブプログラム O" + shownNumber(d.value, 0) + " がありません";
    case DiagnosticCode::CallsTooDeep:
        return "サブプログラムの呼び出しが深すぎます。呼び出しを飛ばします";
    case DiagnosticCode::MissingReturn:
        return "サブプログラムが M99 なしで終わっています";
    case DiagnosticCode::BadCharacter:
        if (d.letter != 0)
            return std::string(1, d.letter) + " の値に読めない文字「" + characterText(d.value) + "」があります。この行では動きません";
        return "読めない文字「" + characterText(d.value) + "」があります。この行では動きません";
    case DiagnosticCode::UnreadableNumber:
        // A word of a thousand digits is named by its start: the message stays one short line.
        return "「" + (d.word.size() > 24 ? d.word.substr(0, 20) + "…" : d.word) + "」の数値が読めません (" + nc::numberProblemText(static_cast<nc::NumberProblem>(d.reason)) +
               ")。この行では動きません";
    case DiagnosticCode::BadExpression:
        return "式が読めません";
    case DiagnosticCode::DivisionByZero:
        return "0 で割っています";
    case DiagnosticCode::UnreadableVariable:
        return "#" + shownNumber(d.value, 0) + " は読めません。空とします";
    case DiagnosticCode::CycleWithoutDepth:
        return "固定サイクルに穴底 Z がありません";
    case DiagnosticCode::MachineCoordinates:
        return "機械座標(G53)の移動は追えません";
    case DiagnosticCode::PathCutShort:
        return "パスが長すぎます。ここから先は描きません";
    case DiagnosticCode::RunCutShort:
        return "繰り返しが多すぎます。ここから先は追いません";
    }
    return "?";
}

bool Toolpath::segmentEndsAt(std::size_t v) const
{
    return v > 0 && v < x.size() && !std::binary_search(breaks.begin(), breaks.end(), static_cast<std::uint32_t>(v));
}

std::vector<std::uint32_t> Toolpath::rangesOfLine(int lineIndex) const
{
    if (lineIndex < 0 || lineIndex >= lineCount())
        return {};
    return {rangeIndex.begin() + lineRangeStart[lineIndex], rangeIndex.begin() + lineRangeStart[lineIndex + 1]};
}

long Toolpath::vertexAfterLine(int lineIndex) const
{
    if (lineIndex >= static_cast<int>(verticesAfterLine.size()))
        return static_cast<long>(x.size()) - 1;
    for (int l = lineIndex; l >= 0; --l)
        if (verticesAfterLine[l] != kNeverRun)
            return static_cast<long>(verticesAfterLine[l]) - 1;
    return -1;
}

std::size_t Toolpath::memoryBytes() const
{
    return x.capacity() * sizeof(float) * 3 + line.capacity() * sizeof(std::uint32_t)
        + kind.capacity() * sizeof(MoveKind) + tool.capacity() * sizeof(std::uint16_t)
        + tools.capacity() * sizeof(int) + ranges.capacity() * sizeof(VertexRange)
        + breaks.capacity() * sizeof(std::uint32_t)
        + lineRangeStart.capacity() * sizeof(std::uint32_t) + rangeIndex.capacity() * sizeof(std::uint32_t)
        + verticesAfterLine.capacity() * sizeof(std::uint32_t) + diagnostics.capacity() * sizeof(Diagnostic)
        + arcs.capacity() * sizeof(ArcRecord);
}

void Toolpath::finish(int lines)
{
    for (auto* v : {&x, &y, &z})
        v->shrink_to_fit();
    line.shrink_to_fit();
    kind.shrink_to_fit();
    tool.shrink_to_fit();
    ranges.shrink_to_fit();
    breaks.shrink_to_fit();
    diagnostics.shrink_to_fit();
    arcs.shrink_to_fit();
    verticesAfterLine.resize(static_cast<std::size_t>(lines), kNeverRun);
    verticesAfterLine.shrink_to_fit();

    // Counting sort of the ranges by line, keeping the order of execution within a line.
    lineRangeStart.assign(static_cast<std::size_t>(lines) + 1, 0);
    for (const auto& r : ranges)
        if (r.line < static_cast<std::uint32_t>(lines))
            ++lineRangeStart[r.line + 1];
    for (int l = 0; l < lines; ++l)
        lineRangeStart[l + 1] += lineRangeStart[l];
    rangeIndex.assign(lineRangeStart[lines], 0);
    std::vector<std::uint32_t> fill(lineRangeStart.begin(), lineRangeStart.end() - 1);
    for (std::uint32_t i = 0; i < ranges.size(); ++i)
        if (ranges[i].line < static_cast<std::uint32_t>(lines))
            rangeIndex[fill[ranges[i].line]++] = i;
}

}  // namespace zorvan::preview
