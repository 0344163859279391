// zorvan-cli stock-check: runs the program through the stock and prints every rapid that would
// hit material (and the other warnings of the simulation) as "LINE: message", lines 0-based.
#include "cli/commands.h"

#include "preview/logic/interpreter.h"
#include "preview/logic/shown_number.h"
#include "preview/logic/stock/stock_simulation.h"

#include <charconv>
#include <cmath>
#include <ostream>

namespace zorvan::cli {

void printDiagnostics(const preview::Toolpath& path, std::ostream& err);  // preview_commands.cpp
int statusAfterBounds(const preview::Toolpath& path, int status);       // preview_commands.cpp

namespace {

// Past this column width (mm) a tool's cut lowers material far from it and rapids there go unseen.
constexpr double kCoarsestCell = 10;
constexpr double kMostColumns = 4'000'000;

double numberOf(std::string_view text, const std::string& whole)
{
    double value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value))
        throw UsageError("--stock must be X0:X1,Y0:Y1,Z0:Z1: '" + whole + "'");
    return value;
}

// "X0:X1,Y0:Y1,Z0:Z1", each range min:max.
preview::stock::StockBox parseStockBox(const std::string& text)
{
    preview::stock::StockBox box;
    std::string_view rest = text;
    for (int axis = 0; axis < 3; ++axis) {
        const std::size_t comma = axis < 2 ? rest.find(',') : rest.size();
        const std::size_t colon = rest.substr(0, comma).find(':');
        if (comma == std::string_view::npos || colon == std::string_view::npos)
            throw UsageError("--stock must be X0:X1,Y0:Y1,Z0:Z1: '" + text + "'");
        box.min[axis] = numberOf(rest.substr(0, colon), text);
        box.max[axis] = numberOf(rest.substr(colon + 1, comma - colon - 1), text);
        if (!(box.min[axis] < box.max[axis]) || !std::isfinite(box.max[axis] - box.min[axis]))
            throw UsageError("--stock: each range must run from the smaller to the larger value: '" + text + "'");
        rest.remove_prefix(std::min(rest.size(), comma + 1));
    }
    return box;
}

}  // namespace

int runStockCheck(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--stock", "--tools"}, {}});
    if (options.outPath || options.inPlace)
        throw UsageError("stock-check prints its warnings; -o and --in-place do not apply");
    preview::stock::StockOptions stock;
    if (options.has("--stock"))
        stock.box = parseStockBox(options.text("--stock"));
    if (options.has("--tools")) {
        const std::string tablePath = options.text("--tools");
        const std::string table = loadDocumentInput(tablePath, io.in).text;
        if (int bad = preview::stock::readToolTable(table, stock.tools)) {
            io.err << tablePath << ':' << bad << ": no tool number or size (T<n> D<diameter> [R<radius>] ...)\n";
            return Refused;
        }
    }
    const std::string text = loadDocumentInput(options.file, io.in, options.encoding).text;
    const preview::Toolpath path = preview::interpretProgram(text);
    // The finest grid of 4,000,000 columns (16 MB): a program spread over a large area is still
    // checked column by column finer than its tools, where the view's grid would not be.
    {
        preview::stock::ToolTable tools = stock.tools;
        preview::stock::addToolsFromComments(text, tools);
        stock.longSideColumns = preview::stock::finestLongSideColumns(
            stock.box ? *stock.box : preview::stock::defaultStockBox(path, tools), kMostColumns);
    }
    const auto result = preview::stock::simulateStock(text, path, stock);
    bool fault = false;
    for (const auto& warning : result.warnings) {
        io.out << warning.line << ": " << preview::stock::stockWarningText(warning) << '\n';
        fault = fault || preview::stock::isStockFault(warning.code);
    }
    printDiagnostics(path, io.err);
    // A check cut short or too coarse to trust says so (3), even where it found faults: a clean
    // part of a path proves nothing about the rest.
    bool unsure = false;
    if (result.cutShortAt) {
        io.err << "zorvan-cli stock-check: 計算量の上限に達したので " << *result.cutShortAt
               << " 行の手前で打ち切りました (それまでの警告だけを出しています)\n";
        unsure = true;
    }
    if (result.field.cellSize() > kCoarsestCell) {
        io.err << "zorvan-cli stock-check: 材料が広すぎて確かめられません (格子 1 マスが "
               << preview::shownNumber(result.field.cellSize(), 3) << " mm)。--stock で材料を指定してください\n";
        unsure = true;
    }
    if (unsure)
        return CutShort;
    return statusAfterBounds(path, fault ? Refused : Done);
}

}  // namespace zorvan::cli
