#include "preview/logic/toolpath.h"

#include "preview/logic/shown_number.h"

#include <cstdio>

namespace zorvan::preview {

namespace {

std::string printed(const char* format, double value)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
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
        return printed("G%g は追えません。無視します", d.value);
    case DiagnosticCode::UnknownSubprogram:
        return "サブプログラム O" + shownNumber(d.value, 0) + " がありません";
    case DiagnosticCode::CallsTooDeep:
        return "サブプログラムの呼び出しが深すぎます。呼び出しを飛ばします";
    case DiagnosticCode::MissingReturn:
        return "サブプログラムが M99 なしで終わっています";
    case DiagnosticCode::BadCharacter:
        return "読めない文字があります。飛ばします";
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
        + lineRangeStart.capacity() * sizeof(std::uint32_t) + rangeIndex.capacity() * sizeof(std::uint32_t)
        + verticesAfterLine.capacity() * sizeof(std::uint32_t) + diagnostics.capacity() * sizeof(Diagnostic);
}

void Toolpath::finish(int lines)
{
    for (auto* v : {&x, &y, &z})
        v->shrink_to_fit();
    line.shrink_to_fit();
    kind.shrink_to_fit();
    tool.shrink_to_fit();
    ranges.shrink_to_fit();
    diagnostics.shrink_to_fit();
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
