// What the command runner costs on top of starting a program: Program::runData
// (a UUID, two capture files created, read back and deleted) against a bare
// posix_spawn and wait of the same trivial program, which writes nothing, and
// the runner again on a program that writes a few kilobytes, as every tool
// does (what the file system does with a capture file that was written to
// shows only then).
// The runner's stop flag, which veristamp-check passes, is measured as well.

#include "engine/program_run.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

const char kProgram[] = VERISTAMP_TRIVIAL_PROGRAM;

void runnerOnTrivialProgram(benchmark::State &state)
{
    const QString program = QString::fromUtf8(kProgram);
    for (auto _ : state) {
        const Program::DataResult result = Program::runData(program, {});
        if (!result.outcome.succeeded())
            state.SkipWithError("the program failed");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(runnerOnTrivialProgram)->Unit(benchmark::kMicrosecond)->UseRealTime();

// About what a signature display writes: 2 KiB on each stream.
void runnerOnProgramWithOutput(benchmark::State &state)
{
    const QString program = QString::fromUtf8(kProgram);
    const QString hex = QString::fromLatin1(QByteArray(2048, 'x').toHex());
    for (auto _ : state) {
        const Program::DataResult result = Program::runData(program, {"hex", hex, hex});
        if (!result.outcome.succeeded() || result.standardOutput.size() != 2048)
            state.SkipWithError("the program failed");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(runnerOnProgramWithOutput)->Unit(benchmark::kMicrosecond)->UseRealTime();

// With a stop flag the runner watches the program (pidfd, kqueue) and the
// flag instead of blocking in waitpid: what that adds.
void runnerWithStopFlag(benchmark::State &state)
{
    const QString program = QString::fromUtf8(kProgram);
    const std::atomic<bool> stop{false};
    for (auto _ : state) {
        const Program::DataResult result = Program::runData(program, {}, &stop);
        if (!result.outcome.succeeded())
            state.SkipWithError("the program failed");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(runnerWithStopFlag)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A program that runs for 50 ms, as a tool reading a package does: how late
// the runner learns of its end, with the stop flag and without (blocking).
void runnerOnFiftyMilliseconds(benchmark::State &state)
{
    const QString program = QString::fromUtf8(kProgram);
    const std::atomic<bool> stop{false};
    for (auto _ : state) {
        const Program::DataResult result = Program::runData(program, {"sleep", "50"}, state.range(0) ? &stop : nullptr);
        if (!result.outcome.succeeded())
            state.SkipWithError("the program failed");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(runnerOnFiftyMilliseconds)->ArgName("stopFlag")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void bareSpawnAndWait(benchmark::State &state)
{
    char *argv[] = {const_cast<char *>(kProgram), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, kProgram, nullptr, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) != pid)
            state.SkipWithError("the program did not run");
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK(bareSpawnAndWait)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
