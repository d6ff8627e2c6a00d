#pragma once
// The stand-in hdiutil: replays a call's record when the image carries one,
// and otherwise does the real work on stand-in images: verify reads the whole
// archive, attach unpacks its volume into a new folder and reports it in a
// property list shaped like the platform's, detach removes such a folder.

#include "outcome.h"
#include "records.h"
#include "tool_calls.h"

// `records` are those of the call's path (the image; for detach, the mount point).
Outcome hdiutilAnswer(const RecognisedCall &call, const RecordFiles &records);
