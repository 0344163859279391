// Canned cycles expanded into their moves: position at the current level, rapid to the R level,
// feed to the bottom (in pecks of Q for G73/G83), and back to the R level (G99) or the initial
// level (G98). Tapping (G74/G84) and boring with a fed retract (G85/G89) feed back to R.
#include "preview/logic/interpreter_state.h"

#include <algorithm>
#include <cmath>

namespace zorvan::preview {

namespace {

class HoleMoves {
public:
    HoleMoves(PathRecorder& recorder, double position[3], double feed) : recorder_(recorder), at_(position), feed_(feed) {}

    void to(double x, double y, double z, MoveKind kind)
    {
        const double target[3] = {x, y, z};
        recorder_.line(at_, target, kind, feed_);
        at_[0] = x, at_[1] = y, at_[2] = z;
    }
    void rapidZ(double z) { to(at_[0], at_[1], z, MoveKind::CycleRapid); }
    void feedZ(double z) { to(at_[0], at_[1], z, MoveKind::CycleFeed); }
    bool full() const { return recorder_.full(); }

private:
    PathRecorder& recorder_;
    double* at_;
    double feed_;
};

bool fedRetract(int code)
{
    return code == 74 || code == 84 || code == 85 || code == 89;
}

void drillDown(HoleMoves& moves, const CycleState& cycle, double rLevel, double bottom, double clearance)
{
    const bool pecking = (cycle.code == 73 || cycle.code == 83) && cycle.q > 0 && bottom < rLevel;
    if (!pecking) {
        moves.feedZ(bottom);
        return;
    }
    double depth = rLevel;
    while (depth > bottom && !moves.full()) {
        double next = std::max(depth - cycle.q, bottom);
        if (next >= depth)
            next = bottom;  // a peck too small to change a depth this large: the rest in one feed
        if (depth != rLevel) {
            if (cycle.code == 73) {
                moves.rapidZ(depth + clearance);  // break the chip
            } else {
                moves.rapidZ(rLevel);             // clear the hole, then back to just above the last depth
                moves.rapidZ(depth + clearance);
            }
        }
        moves.feedZ(next);
        depth = next;
    }
}

}  // namespace

void runCycleHole(PathRecorder& recorder, CycleState& cycle, const double target[2], const double step[2], int repeats,
                  bool returnToInitial, double position[3], double feed, const InterpreterOptions& options)
{
    if (cycle.starting) {
        cycle.initialZ = position[2];
        cycle.starting = false;
    }
    const double rLevel = !cycle.hasR ? cycle.initialZ : cycle.rAbsolute ? cycle.r : cycle.initialZ + cycle.r;
    const double bottom = cycle.zAbsolute ? cycle.z : rLevel + cycle.z;
    HoleMoves moves(recorder, position, feed);
    double x = target[0], y = target[1];
    for (int k = 0; k < repeats && !moves.full(); ++k) {
        if (k > 0)
            x += step[0], y += step[1];
        moves.to(x, y, position[2], MoveKind::CycleRapid);
        if (position[2] != rLevel)
            moves.rapidZ(rLevel);
        drillDown(moves, cycle, rLevel, bottom, options.peckClearance);
        if (fedRetract(cycle.code)) {
            moves.feedZ(rLevel);
            if (returnToInitial && rLevel != cycle.initialZ)
                moves.rapidZ(cycle.initialZ);
        } else {
            moves.rapidZ(returnToInitial ? cycle.initialZ : rLevel);
        }
    }
}

}  // namespace zorvan::preview
