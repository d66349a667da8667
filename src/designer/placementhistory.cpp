#include "designer/placementhistory.h"

namespace mivora {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The index of the one value in which a and b differ; kNone for none or several.
std::size_t onlyDifference(const PlacementHistory::Values& a, const PlacementHistory::Values& b) {
    if (a.size() != b.size())
        return kNone;
    std::size_t found = kNone;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) {
            if (found != kNone)
                return kNone;
            found = i;
        }
    return found;
}

} // namespace

void PlacementHistory::start(Values values) {
    steps_.assign(1, std::move(values));
    at_ = 0;
    merging_ = false;
}

void PlacementHistory::note(Values values) {
    if (steps_.empty()) {
        start(std::move(values));
        return;
    }
    if (values == steps_[at_])
        return;
    steps_.resize(at_ + 1);
    const std::size_t changed = onlyDifference(steps_[at_], values);
    if (merging_ && changed != kNone && onlyDifference(steps_[at_ - 1], steps_[at_]) == changed) {
        steps_[at_] = std::move(values);
        return;
    }
    steps_.push_back(std::move(values));
    ++at_;
    merging_ = true;
}

const PlacementHistory::Values& PlacementHistory::undo() {
    merging_ = false;
    return steps_[--at_];
}

const PlacementHistory::Values& PlacementHistory::redo() {
    merging_ = false;
    return steps_[++at_];
}

} // namespace mivora
