// Running programs through the preview interpreter in the tests.
#pragma once

#include "preview/logic/interpreter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace preview_test {

using namespace zorvan::preview;

// The lines joined as the editor holds them (CR LF after each).
inline std::string program(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    return text;
}

inline Toolpath run(const std::vector<std::string>& lines, const InterpreterOptions& options = {})
{
    return interpretProgram(program(lines), options);
}

inline char kindLetter(MoveKind kind)
{
    static const char letters[] = "rfacd";
    return letters[static_cast<int>(kind)];
}

// The vertices made by `line`, in order, as "r(10,0,50) d(10,0,-5)" (kinds: r rapid, f feed,
// a arc, c cycle rapid, d cycle feed).
inline std::string verticesOfLine(const Toolpath& path, int line)
{
    std::string out;
    for (std::uint32_t r : path.rangesOfLine(line)) {
        for (std::uint32_t v = path.ranges[r].begin; v < path.rangeEnd(r); ++v) {
            char buffer[96];
            std::snprintf(buffer, sizeof buffer, "%s%c(%g,%g,%g)", out.empty() ? "" : " ", kindLetter(path.kind[v]),
                          path.x[v], path.y[v], path.z[v]);
            out += buffer;
        }
    }
    return out;
}

inline std::vector<int> diagnosticLines(const Toolpath& path, DiagnosticCode code)
{
    std::vector<int> lines;
    for (const auto& d : path.diagnostics)
        if (d.code == code)
            lines.push_back(static_cast<int>(d.line));
    return lines;
}

}  // namespace preview_test
