#include "engine/release_tools.h"

namespace {
ToolCall call(const char *executable, QStringList arguments)
{
    return ToolCall{QString::fromLatin1(executable), std::move(arguments)};
}
} // namespace

ToolCall signatureVerificationCall(const QString &appPath)
{
    return call("/usr/bin/codesign", {"--verify", "--deep", "--strict", "--verbose=2", appPath});
}

ToolCall signatureDisplayCall(const QString &packagePath)
{
    return call("/usr/bin/codesign", {"-dv", "--verbose=4", packagePath});
}

ToolCall entitlementsCall(const QString &appPath)
{
    return call("/usr/bin/codesign", {"-d", "--entitlements", ":-", appPath});
}

ToolCall appAssessmentCall(const QString &appPath)
{
    return call("/usr/sbin/spctl", {"--assess", "--type", "execute", "--verbose=4", appPath});
}

ToolCall diskImageAssessmentCall(const QString &imagePath)
{
    return call("/usr/sbin/spctl",
                {"--assess", "--type", "open", "--context", "context:primary-signature", "--verbose=4", imagePath});
}

ToolCall ticketValidationCall(const QString &imagePath)
{
    return call("/usr/bin/xcrun", {"stapler", "validate", imagePath});
}

ToolCall imageVerificationCall(const QString &imagePath)
{
    return call("/usr/bin/hdiutil", {"verify", imagePath});
}

ToolCall attachCall(const QString &imagePath)
{
    return call("/usr/bin/hdiutil", {"attach", "-readonly", "-nobrowse", "-plist", imagePath});
}

ToolCall detachCall(const QString &mountPointPath)
{
    return call("/usr/bin/hdiutil", {"detach", mountPointPath});
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
        return Shell::runData(executableUnderRoot(path, call.executable), call.arguments, stop);
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

Shell::DataResult runToolData(const ReleaseTools &tools, const ToolCall &call)
{
    return tools.runner(call);
}

Shell::TextResult runTool(const ReleaseTools &tools, const ToolCall &call)
{
    return Shell::decoded(tools.runner(call));
}
