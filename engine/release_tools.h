#pragma once
// The calls Veristamp makes to the platform's release tools, as data, and the
// seam through which they run. On macOS the tool root is "/" and the real
// tools answer; elsewhere it is the stand-in root shipped beside the program.
// Tests pass their own root, or script the runner outright.

#include "engine/program_run.h"
#include "engine/tool_root.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

struct ToolCall {
    QString executable; // the contract's absolute path, e.g. "/usr/bin/codesign"
    QStringList arguments;
};

// C1 .. H3: the nine argument vectors of the release tool contract.
ToolCall signatureVerificationCall(const QString &appPath);   // C1
ToolCall signatureDisplayCall(const QString &packagePath);    // C2
ToolCall entitlementsCall(const QString &appPath);            // C3
ToolCall appAssessmentCall(const QString &appPath);           // S1
ToolCall diskImageAssessmentCall(const QString &imagePath);   // S2
ToolCall ticketValidationCall(const QString &imagePath);      // X1
ToolCall imageVerificationCall(const QString &imagePath);     // H1
ToolCall attachCall(const QString &imagePath);                // H2
ToolCall detachCall(const QString &mountPointPath);           // H3

using ToolRunner = std::function<Program::DataResult(const ToolCall &)>;
using StoppableToolRunner = std::function<Program::DataResult(const ToolCall &, const std::atomic<bool> *stop)>;

// How an inspection reaches the tools. Copyable, shared by nothing.
struct ReleaseTools {
    // Scripted tools in tests decide everything, like the platform's.
    ReleaseTools(ToolRunner run, HostLimits hostLimits = {}) : runner(std::move(run)), limits(std::move(hostLimits)) {}

    ToolRunner runner;
    HostLimits limits;
    // Real tools can also be run under a stop flag (see stoppedBy); scripted ones leave this empty.
    StoppableToolRunner stoppableRunner;
};

// The tools under a root: each call runs as root + its absolute path through Program::runData.
ReleaseTools releaseToolsAt(const ToolRoot &toolRoot);

// The same tools, run so that raising the flag ends the tool that runs and
// starts no other, except a detach: that still runs, so that no image stays
// attached. Tools that cannot be stopped (scripted ones) come back unchanged.
// The flag must outlive every call made through the result.
ReleaseTools stoppedBy(ReleaseTools tools, const std::atomic<bool> *stop);

// The executable a call runs under a root ("/" leaves the path unchanged).
QString executableUnderRoot(const QString &toolRoot, const QString &executable);

Program::DataResult runToolData(const ReleaseTools &tools, const ToolCall &call);
Program::TextResult runTool(const ReleaseTools &tools, const ToolCall &call);
