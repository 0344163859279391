// Canned cycles expanded into their moves: position in the plane at the current level, rapid to
// the R level, feed to the bottom along the plane's normal (Z under G17, Y under G18, X under G19;
// in pecks of Q for G73/G83), and back to the R level (G99) or the initial level (G98). Tapping
// (G74/G84) and boring with a fed retract (G85/G89) feed back to R.
#include "preview/logic/interpreter_state.h"

#include <algorithm>
#include <cmath>

namespace zorvan::preview {

namespace {

class HoleMoves {
public:
    HoleMoves(ToolMotion& motion, int normal, double feed) : motion_(motion), normal_(normal), feed_(feed) {}

    // A known place a cycle goes to was set absolutely, or follows from one that was.
    void to(const double point[3], const bool known[3], MoveKind kind) { motion_.lineTo(point, known, known, kind, feed_); }
    // Along the normal to an absolute level (known when the level is).
    void level(double at, MoveKind kind, bool levelKnown = true)
    {
        double point[3] = {motion_.position()[0], motion_.position()[1], motion_.position()[2]};
        bool known[3] = {motion_.known(0), motion_.known(1), motion_.known(2)};
        point[normal_] = at;
        known[normal_] = levelKnown;
        to(point, known, kind);
    }
    void rapid(double at) { level(at, MoveKind::CycleRapid); }
    void feed(double at) { level(at, MoveKind::CycleFeed); }

private:
    ToolMotion& motion_;
    int normal_;
    double feed_;
};

bool fedRetract(int code)
{
    return code == 74 || code == 84 || code == 85 || code == 89;
}

// Depths along the normal grow downwards: a drill goes from the R level towards the bottom.
void drillDown(HoleMoves& moves, const CycleState& cycle, double rLevel, double bottom, double clearance)
{
    const double sense = bottom < rLevel ? 1 : -1;  // +1: drilling towards smaller values
    const bool pecking = (cycle.code == 73 || cycle.code == 83) && cycle.q > 0 && bottom != rLevel;
    if (!pecking) {
        moves.feed(bottom);
        return;
    }
    double depth = rLevel;
    for (int guard = 0; sense * (depth - bottom) > 0 && guard < 1'000'000; ++guard) {
        double next = sense > 0 ? std::max(depth - cycle.q, bottom) : std::min(depth + cycle.q, bottom);
        if (next == depth)
            next = bottom;  // a peck too small to change a depth this large: the rest in one feed
        if (depth != rLevel) {
            if (cycle.code == 73) {
                moves.rapid(depth + sense * clearance);  // break the chip
            } else {
                moves.rapid(rLevel);  // clear the hole, then back to just above the last depth
                moves.rapid(depth + sense * clearance);
            }
        }
        moves.feed(next);
        depth = next;
    }
}

}  // namespace

void runCycleHole(ToolMotion& motion, CycleState& cycle, Plane plane, const double target[2], const bool targetKnown[2],
                  const double step[2], int repeats, bool returnToInitial, double feed, const InterpreterOptions& options,
                  const PathRecorder& recorder)
{
    int ia, ib, normal;
    planeAxes(plane, ia, ib, normal);
    if (cycle.starting) {
        cycle.initialKnown = motion.known(normal);
        cycle.initialLevel = motion.position()[normal];
        cycle.starting = false;
    }
    const bool rKnown = cycle.hasR ? cycle.rAbsolute || cycle.initialKnown : cycle.initialKnown;
    const double rLevel = !cycle.hasR ? cycle.initialLevel : cycle.rAbsolute ? cycle.r : cycle.initialLevel + cycle.r;
    const double bottom = cycle.depthAbsolute ? cycle.depth : rLevel + cycle.depth;
    // An initial level the program never told: the tool returns to the R level instead.
    const double initial = cycle.initialKnown ? cycle.initialLevel : rLevel;
    HoleMoves moves(motion, normal, feed);
    double hole[3];
    bool known[3];
    for (int k = 0; k < repeats && !recorder.full(); ++k) {
        for (int i = 0; i < 3; ++i) {
            hole[i] = motion.position()[i];
            known[i] = motion.known(i);
        }
        if (k == 0) {
            hole[ia] = target[0], hole[ib] = target[1];
            known[ia] = targetKnown[0], known[ib] = targetKnown[1];
        } else {
            hole[ia] += step[0], hole[ib] += step[1];
        }
        moves.to(hole, known, MoveKind::CycleRapid);
        if (motion.position()[normal] != rLevel || !motion.known(normal))
            moves.level(rLevel, MoveKind::CycleRapid, rKnown);
        drillDown(moves, cycle, rLevel, bottom, options.peckClearance);
        if (fedRetract(cycle.code)) {
            moves.feed(rLevel);
            if (returnToInitial && rLevel != initial)
                moves.rapid(initial);
        } else {
            moves.rapid(returnToInitial ? initial : rLevel);
        }
    }
}

}  // namespace zorvan::preview
