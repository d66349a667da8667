#pragma once
// The placement of a layout as it was after each change, for undo and redo: every
// value that placing items can change, in a fixed order. Changes that follow one
// another to the same single value (the keys of one typed number, steps of one
// arrow key) make one step; a change after an undo drops what could be redone.

#include <cstddef>
#include <string>
#include <vector>

namespace mivora {

class PlacementHistory {
  public:
    using Values = std::vector<std::string>;

    // A fresh history that starts from values.
    void start(Values values);
    // Notes the values after a change; values equal to the present ones are no step.
    void note(Values values);

    bool canUndo() const { return at_ > 0; }
    bool canRedo() const { return at_ + 1 < steps_.size(); }
    // The values to go back (forward) to; the history must allow it.
    const Values& undo();
    const Values& redo();

  private:
    std::vector<Values> steps_;
    std::size_t at_ = 0;
    bool merging_ = false; // the present step may still take a change of its value
};

} // namespace mivora
