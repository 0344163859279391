#include "app/logic/edit_history.h"

#include <algorithm>

namespace zorvan {

std::size_t EditHistory::indexOf(StepId id) const
{
    auto it = std::lower_bound(steps_.begin(), steps_.end(), id, [](const Step& s, StepId i) { return s.id < i; });
    return it != steps_.end() && it->id == id ? static_cast<std::size_t>(it - steps_.begin()) : steps_.size();
}

bool EditHistory::knows(StepId id) const { return indexOf(id) < steps_.size(); }

EditHistory::Begun EditHistory::beginChange(bool atSavePoint, bool wholeText, std::size_t bytes)
{
    if (groupDepth_ > 0 && groupStep_ != 0)
        return {groupStep_, false};
    dropUndone();
    Step step;
    step.id = nextId_++;
    step.before = current_;
    step.after = nextGeneration_++;
    step.wholeText = wholeText && groupDepth_ == 0;
    step.bytes = step.wholeText ? bytes : 0;
    step.savedBefore = atSavePoint;
    current_ = step.after;
    wholeTextBytes_ += step.bytes;
    steps_.push_back(step);
    done_ = steps_.size();
    if (groupDepth_ > 0)
        groupStep_ = step.id;
    return {step.id, true};
}

void EditHistory::undone(StepId id)
{
    const std::size_t index = indexOf(id);
    if (index == steps_.size())
        return;
    done_ = index;
    current_ = steps_[index].before;
}

void EditHistory::redone(StepId id)
{
    const std::size_t index = indexOf(id);
    if (index == steps_.size())
        return;
    done_ = index + 1;
    current_ = steps_[index].after;
}

void EditHistory::drop(std::size_t from, std::size_t to)
{
    if (from >= to)
        return;
    const auto first = steps_.begin() + static_cast<std::ptrdiff_t>(from);
    const auto last = steps_.begin() + static_cast<std::ptrdiff_t>(to);
    std::vector<StepId> gone;
    gone.reserve(to - from);
    for (auto it = first; it != last; ++it) {
        wholeTextBytes_ -= it->bytes;
        gone.push_back(it->id);
    }
    steps_.erase(first, last);
    // The done steps are the first ones: those dropped before them shift the count.
    if (done_ >= to)
        done_ -= to - from;
    else if (done_ > from)
        done_ = from;
    if (dropped_)
        for (StepId id : gone)
            dropped_(id);
}

void EditHistory::dropUndone()
{
    deadRedo_ = false;
    if (done_ == steps_.size())
        return;
    drop(done_, steps_.size());
    checkSavePoint();
}

EditHistory::StepId EditHistory::trim(std::size_t bound)
{
    StepId begins = 0;
    while (wholeTextBytes_ > bound) {
        auto whole = [](const Step& s) { return s.wholeText; };
        auto oldest = std::find_if(steps_.begin(), steps_.end(), whole);
        if (oldest == steps_.end())
            break;
        auto next = std::find_if(std::next(oldest), steps_.end(), whole);
        if (next == steps_.end())
            break;
        drop(0, static_cast<std::size_t>(next - steps_.begin()));
        begins = steps_.front().id;
    }
    if (begins != 0) {
        // The state before the first step left is all that stays of the states before it: the
        // save point is still there only if it was that very state.
        const Step& front = steps_.front();
        if (saved_ == front.before && !front.savedBefore)
            saveReachable_ = false;
        checkSavePoint();
    }
    return begins;
}

void EditHistory::checkSavePoint()
{
    if (!saveReachable_ || saved_ == current_)
        return;
    saveReachable_ = std::any_of(steps_.begin(), steps_.end(),
                                 [this](const Step& s) { return s.before == saved_ || s.after == saved_; });
}

void EditHistory::load()
{
    clear(false);
    current_ = nextGeneration_++;
}

void EditHistory::clear(bool atSavePoint)
{
    drop(0, steps_.size());
    done_ = 0;
    deadRedo_ = false;
    groupStep_ = 0;
    if (atSavePoint) {
        saved_ = current_;
        saveReachable_ = true;
    } else {
        saveReachable_ = false;
    }
}

void EditHistory::changedWithoutStep()
{
    current_ = nextGeneration_++;
    checkSavePoint();
}

bool EditHistory::endGroup()
{
    if (groupDepth_ == 0 || --groupDepth_ > 0)
        return false;
    groupStep_ = 0;
    return true;
}

void EditHistory::setSaved()
{
    saved_ = current_;
    saveReachable_ = true;
}

}  // namespace zorvan
