#pragma once
// The toolbar's backup and restore as the person meets them: the digit-count
// row, the file dialog, then the run. Questions go through the prompter; a cancel
// at any point leaves everything as it was.

#include "exchange/exchange.h"
#include "session/prompter.h"
#include "session/session.h"

namespace mivora {

// Returns false when the person cancelled somewhere. Failures throw Error.
bool backupWithQuestions(Session& session, Prompter& person, const Progress& progress);
bool restoreWithQuestions(Session& session, Prompter& person, const Progress& progress);

} // namespace mivora
