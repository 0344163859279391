// The undo history both editors keep, apart from how each one takes a step back or makes it
// again. It holds the steps in order (which are done, which undone), joins the changes of a group
// into one step, drops the undone steps when a new change comes, keeps the history within its
// bound, and keeps the save point as a state of its own.
//
// States. Every state a step leads to gets a generation number of its own, never used again: a
// step goes from the generation before it to the one after it, and undo and redo move between
// the two. A load or a change kept in no step gives a new generation. The save point is the
// generation that was current when the text was saved, and whether it can still be reached: a
// load, clearing the history away from it, dropping the steps that led to it (by a new change
// after undoing past it, or by trimming), or setModified(true) put it out of reach, and the text
// then reads modified until the next save. An editor whose own mechanics keep changes that are
// no steps here (the widget's typing) tells, with each question, whether its own state differs
// from the saved one within the current generation.
//
// Trimming. Only the steps that keep a whole text of their own (`cutBefore`) count against the
// bound, and the history can begin only at such a step: trimming drops everything before the
// oldest whole-text step but one, again while the bound is passed; the newest whole-text step
// always stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace zorvan {

class EditHistory {
public:
    using StepId = std::uint64_t;
    using Generation = std::uint64_t;

    // Told of each step dropped (oldest first), so its editor can let go of what it keeps for it.
    void setDropHandler(std::function<void(StepId)> handler) { dropped_ = std::move(handler); }

    // --- Steps
    struct Begun {
        StepId id = 0;
        bool fresh = false;  // a new step; else the change joins the open group's step
    };
    // A change begins. Outside a group, or for a group's first change, the undone steps are
    // dropped and a new step is made, leading from the current generation to a new one; a later
    // change of the group joins its step. `wholeText`: the step keeps a whole text of `bytes`
    // bytes (counted against the bound, and the history may begin at it). `atSavePoint`: the
    // editor reads unmodified just before the change.
    Begun beginChange(bool atSavePoint, bool wholeText = false, std::size_t bytes = 0);
    // The step was undone (the current state is the one before it) or made again.
    void undone(StepId id);
    void redone(StepId id);
    bool knows(StepId id) const;
    // The newest done step and the oldest undone one; 0 when there is none.
    StepId lastDone() const { return done_ > 0 ? steps_[done_ - 1].id : 0; }
    StepId firstUndone() const { return done_ < steps_.size() ? steps_[done_].id : 0; }
    bool hasDone() const { return done_ > 0; }
    bool hasUndone() const { return done_ < steps_.size(); }
    // Drops the undone steps (a change in the editor's own mechanics cut them off).
    void dropUndone();
    // Drops the steps beyond the bound (see the top); the id of the step the history begins at
    // after a cut, else 0.
    StepId trim(std::size_t bound);
    std::size_t wholeTextBytes() const { return wholeTextBytes_; }
    std::size_t stepCount() const { return steps_.size(); }

    // A new text (a load): the history is forgotten and the save point is out of reach.
    void load();
    // The history is forgotten; the save point stays only when the text is at it now.
    void clear(bool atSavePoint);
    // The text changed without a step (no history is kept).
    void changedWithoutStep();

    // --- Groups: the changes between the outermost begin and end make one step.
    void beginGroup() { ++groupDepth_; }
    // Ends a group; true when it was the outermost one.
    bool endGroup();
    int groupDepth() const { return groupDepth_; }
    // The step the open group made so far; 0 if none.
    StepId groupStep() const { return groupStep_; }

    // --- Save point
    void setSaved();
    void setUnsaved() { saveReachable_ = false; }
    // Whether the current generation is the saved one, and the save point can still be reached.
    bool atSavePoint() const { return saveReachable_ && current_ == saved_; }
    Generation generation() const { return current_; }

    // --- Dead redo: an editor whose mechanics leave a taken-back change to redo (which it cannot
    // forget) marks it; it counts as nothing to redo until something was undone since.
    void markDeadRedo()
    {
        deadRedo_ = true;
        undoneSinceDeadRedo_ = 0;
    }
    // One undo (+1) or redo (-1) of the editor's mechanics.
    void noteUndoOrRedo(int direction)
    {
        if (deadRedo_)
            undoneSinceDeadRedo_ += direction;
    }
    bool redoIsDead() const { return deadRedo_ && undoneSinceDeadRedo_ == 0; }

private:
    struct Step {
        StepId id = 0;
        Generation before = 0, after = 0;
        bool wholeText = false;
        bool savedBefore = false;  // the state just before the step was the save point when it was made
        std::size_t bytes = 0;
    };
    // The index of step `id`, or the number of steps when it is not there (ids ascend).
    std::size_t indexOf(StepId id) const;
    // Drops steps [from, to) of the list.
    void drop(std::size_t from, std::size_t to);
    // After steps were dropped: the save point is out of reach unless a state left leads to it.
    void checkSavePoint();

    std::deque<Step> steps_;  // oldest first; steps [0, done_) are done, the rest undone
    std::size_t done_ = 0;
    std::size_t wholeTextBytes_ = 0;
    StepId nextId_ = 1;
    Generation current_ = 1, nextGeneration_ = 2;
    Generation saved_ = 1;
    bool saveReachable_ = true;
    int groupDepth_ = 0;
    StepId groupStep_ = 0;
    bool deadRedo_ = false;
    int undoneSinceDeadRedo_ = 0;
    std::function<void(StepId)> dropped_;
};

}  // namespace zorvan
