#pragma once
// SIGINT, SIGTERM and SIGHUP end a check cleanly instead of killing it: the
// handler only notes the signal. The tool that is running is then ended by
// the runner, no further tool starts except a detach, which still runs so
// that nothing stays attached, and the command exits with 128 + the signal.

#include "engine/release_tools.h"

#include <QString>

// Installs the handlers; a signal the command was started with ignored stays ignored.
void watchForInterruptions();

// The signal that arrived first, or 0.
int interruptingSignal();

// "SIGINT", "SIGTERM" or "SIGHUP".
QString signalName(int number);

// The tools under a root, run so that an interruption stops them as above.
ReleaseTools interruptibleToolsAt(const ToolRoot &toolRoot);
