// Undo and Redo: one record, or one group of records, taken back or replayed.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Takes back the newest record or group; does nothing at the start of the history.
void Undo(Model& model);
// Replays the record or group after the undo position; does nothing at the end of the history.
// A group whose far marker is missing (the walk met the end of the history or a word it cannot
// replay) ends there.
void Redo(Model& model);

// Whether Undo and Redo have a record to take back or replay.
inline bool CanUndo(const Model& model) {
  return model.journal.position() > model.journal.oldest();
}
inline bool CanRedo(const Model& model) { return model.journal.position() < model.journal.end(); }

}  // namespace zmf::edit
