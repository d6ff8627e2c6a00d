#pragma once
// The stand-in hdiutil: replays a call's record when the image carries one,
// and otherwise does the real work on stand-in images: verify reads the whole
// archive, attach unpacks its volume into a new folder and reports it in a
// property list shaped like the platform's, detach removes such a folder.

#include "outcome.h"
#include "tool_calls.h"

Outcome hdiutilAnswer(const RecognisedCall &call);
