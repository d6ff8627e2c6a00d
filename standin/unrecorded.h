#pragma once
// How codesign, spctl and stapler answer a call that no record covers: as a
// tool that knows nothing about the package would. They never claim a
// signature, a ticket or an acceptance.

#include "outcome.h"
#include "tool_calls.h"

Outcome unrecordedAnswer(const RecognisedCall &call);
