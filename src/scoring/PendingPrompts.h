#pragma once

#include "core/Result.h"

class QWidget;

namespace corvanta {

class Prompter;

// Tells the teacher that a change of the pending scores could not be written to their file
// (the change holds until the program ends).
void reportPendingWriteFailure(Prompter &prompter, QWidget *parent, const Result &failure);

} // namespace corvanta
