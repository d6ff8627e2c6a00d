#include "engine/release_tools.h"

#include "contract/release_tool_contract.h"

namespace {
ToolCall call(CallId id, const QString &path)
{
    CallVector vector = callVector(id);
    return ToolCall{std::move(vector.executable), vector.leading << path};
}
} // namespace

ToolCall signatureVerificationCall(const QString &appPath)
{
    return call(CallId::C1, appPath);
}

ToolCall signatureDisplayCall(const QString &packagePath)
{
    return call(CallId::C2, packagePath);
}

ToolCall entitlementsCall(const QString &appPath)
{
    return call(CallId::C3, appPath);
}

ToolCall appAssessmentCall(const QString &appPath)
{
    return call(CallId::S1, appPath);
}

ToolCall diskImageAssessmentCall(const QString &imagePath)
{
    return call(CallId::S2, imagePath);
}

ToolCall ticketValidationCall(const QString &imagePath)
{
    return call(CallId::X1, imagePath);
}

ToolCall imageVerificationCall(const QString &imagePath)
{
    return call(CallId::H1, imagePath);
}

ToolCall attachCall(const QString &imagePath)
{
    return call(CallId::H2, imagePath);
}

ToolCall detachCall(const QString &mountPointPath)
{
    return call(CallId::H3, mountPointPath);
}

QString executableUnderRoot(const QString &toolRoot, const QString &executable)
{
    QString root = toolRoot;
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root + executable;
}

ReleaseTools releaseToolsAt(const ToolRoot &toolRoot)
{
    auto run = [path = toolRoot.path](const ToolCall &call, const std::atomic<bool> *stop) {
        return Program::runData(executableUnderRoot(path, call.executable), call.arguments, stop);
    };
    ReleaseTools tools{[run](const ToolCall &call) { return run(call, nullptr); }, toolRoot.limits};
    tools.stoppableRunner = run;
    return tools;
}

ReleaseTools stoppedBy(ReleaseTools tools, const std::atomic<bool> *stop)
{
    if (!tools.stoppableRunner)
        return tools;
    tools.runner = [run = tools.stoppableRunner, stop](const ToolCall &call) {
        const ToolCall detach = detachCall(QString());
        const bool isDetach = call.executable == detach.executable && call.arguments.value(0) == detach.arguments.value(0);
        return run(call, isDetach ? nullptr : stop);
    };
    return tools;
}

Program::DataResult runToolData(const ReleaseTools &tools, const ToolCall &call)
{
    return tools.runner(call);
}

Program::TextResult runTool(const ReleaseTools &tools, const ToolCall &call)
{
    return Program::decoded(tools.runner(call));
}
