// The stock as a height field: a grid of columns over its top view, each holding the top Z of the
// material left in it (the dexel model of 3-axis milling), so its memory is the grid's.
#pragma once

#include "preview/logic/stock/tool_shape.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorvan::preview::stock {

struct StockBox {
    double min[3] = {0, 0, 0};
    double max[3] = {0, 0, 0};
};

// Some of a field's rows, those j with j % count == index: threads that each take another index of
// the same count may cut one field at the same time.
struct RowShare {
    int index = 0;
    int count = 1;
    static constexpr int kMaxCount = 4;
};

class HeightField {
public:
    HeightField() = default;
    // Square columns, `longSideColumns` along the box's longer side; every column at the box's top.
    HeightField(const StockBox& box, int longSideColumns);

    int columns() const { return nx_; }
    int rows() const { return ny_; }
    double cellSize() const { return cell_; }
    const StockBox& box() const { return box_; }
    // The top of column (i, j); its centre is at centreX(i), centreY(j).
    float top(int i, int j) const { return top_[static_cast<std::size_t>(j) * nx_ + i]; }
    double centreX(int i) const { return box_.min[0] + (i + 0.5) * cell_; }
    double centreY(int j) const { return box_.min[1] + (j + 0.5) * cell_; }
    // The top of the column holding (x, y); the box's bottom outside the grid.
    double topAt(double x, double y) const;
    std::size_t memoryBytes() const { return top_.capacity() * sizeof(float); }

    // The tool, with its tip going straight from `a` to `b`, cuts the columns it passes.
    void cut(const double a[3], const double b[3], const ToolShape& tool);
    // How far the material reaches above the tool's cutting edge on that move (0: the tool meets
    // nothing); nothing is cut.
    double deepestHit(const double a[3], const double b[3], const ToolShape& tool) const;
    // The same on the rows of a share only.
    void cut(const double a[3], const double b[3], const ToolShape& tool, RowShare share);
    double deepestHit(const double a[3], const double b[3], const ToolShape& tool, RowShare share) const;
    // The row holding y, or -1 outside the grid.
    int rowAt(double y) const;

    // Work: the columns looked at by cuts and hit tests, counted per share. Past the limit (of a
    // share: its part of it) a move is left unfinished; the caller asks outOfWork after each move.
    void setWorkLimit(std::uint64_t columns) { workLimit_ = columns; }
    bool outOfWork(RowShare share) const
    {
        return work_[static_cast<std::size_t>(share.index)] > workLimit_ / static_cast<std::uint64_t>(share.count);
    }
    std::uint64_t work() const;

    // Along a sloping move the tool's height is followed in steps of at most this much.
    static constexpr double kSlopeStep = 0.02;
    // A little more than half a column's diagonal: the least reach of any tool.
    static constexpr double kHalfDiagonal = 0.70711;

private:
    // Where the last piece cut ended, and with which tool: every column within the tool's radius
    // of that end is no higher than the tool standing there cuts.
    struct Trail {
        bool valid = false;
        double end[3] = {0, 0, 0};
        ToolShape tool;
        int shares = 1;  // the count of the share that cut it; 1: all rows
        bool continuedBy(const double start[3], const ToolShape& next, RowShare share) const;
    };
    // Calls visit(column index, edge height) for the columns under the tool on the move, leaving
    // out columns that the edge certainly does not reach down to; with `cuts`, `trail` follows
    // the pieces.
    template <typename Visit>
    void sweep(const double a[3], const double b[3], const ToolShape& tool, Visit&& visit, RowShare share, Trail& trail,
               bool cuts) const;
    template <typename Visit>
    void sweepPiece(const double a[3], const double b[3], const ToolShape& tool, Visit&& visit, RowShare share,
                    const Trail& trail) const;

    StockBox box_;
    double cell_ = 1;
    int nx_ = 0, ny_ = 0;
    std::vector<float> top_;
    std::array<Trail, RowShare::kMaxCount> trails_;  // by share index
    mutable std::array<std::uint64_t, RowShare::kMaxCount> work_{};  // by share index
    std::uint64_t workLimit_ = UINT64_MAX;
};

}  // namespace zorvan::preview::stock
