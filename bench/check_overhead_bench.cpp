// What veristamp-check adds to the tool calls it makes: a run over four
// sample packages against the same tool calls made directly, one after
// another, through the same stand-in tools. Both are timed by the wall
// clock: nearly all of their time is spent in child processes, which the
// benchmark's own CPU time never sees (picking iterations by it ran the
// second benchmark practically for ever). On a shared machine the load
// drifts: run with --benchmark_repetitions=N
// --benchmark_enable_random_interleaving=true and compare medians.
// VERISTAMP_CHECK_PROGRAM names another build's veristamp-check (one beside
// its own stand-in tools), to compare builds in turn.

#include "engine/package_inspection.h"
#include "engine/package_intake.h"
#include "engine/release_tools.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

const QStringList kSamples = {QStringLiteral("Tidewater.app"), QStringLiteral("Palette Studio.app"),
                              QStringLiteral("Quarry.app"), QStringLiteral("Tidewater 3.2.dmg")};

QString samplePath(const QString &name)
{
    return QDir(QStringLiteral(VERISTAMP_SAMPLES)).filePath(name);
}

// The calls one inspection of every sample makes, in order.
QList<ToolCall> recordedToolCalls()
{
    QList<ToolCall> calls;
    const ReleaseTools real = releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT)));
    const ReleaseTools recording{[&](const ToolCall &call) {
        calls << call;
        return real.runner(call);
    }};
    for (const QString &name : kSamples) {
        const AcceptedPackage package = *acceptPackage(QUrl::fromLocalFile(samplePath(name)));
        inspectPackage(package.location, package.kind, recording);
    }
    return calls;
}

void BM_ToolCallsAlone(benchmark::State &state)
{
    const QList<ToolCall> calls = recordedToolCalls();
    const ReleaseTools tools = releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT)));
    for (auto _ : state) {
        for (const ToolCall &call : calls)
            benchmark::DoNotOptimize(tools.runner(call));
    }
    state.counters["calls"] = double(calls.size());
}

void BM_CheckCommand(benchmark::State &state)
{
    const QByteArray program = qEnvironmentVariableIsSet("VERISTAMP_CHECK_PROGRAM")
        ? qgetenv("VERISTAMP_CHECK_PROGRAM")
        : QByteArray(VERISTAMP_CHECK_PROGRAM);
    std::vector<QByteArray> storage{program};
    for (const QString &name : kSamples)
        storage.push_back(samplePath(name).toUtf8());
    std::vector<char *> argv;
    for (QByteArray &bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("veristamp-check could not be started");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace

BENCHMARK(BM_ToolCallsAlone)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_CheckCommand)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

int main(int argc, char **argv)
{
    // Capture files and stand-in volumes go to a private folder.
    QTemporaryDir temp;
    setenv("TMPDIR", temp.path().toUtf8().constData(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
