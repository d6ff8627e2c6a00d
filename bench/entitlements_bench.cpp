// Inspecting an app whose entitlements call prints a 28 MB property list,
// through scripted tools, so the time is the reading alone: once as a
// dictionary of some 650,000 keys, once as one key holding an array of some
// 400,000 paths. Both end with get-task-allow set, which must be found.

#include "engine/app_inspection.h"

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kTarget = 28 << 20;

QByteArray entitlementsOfSize(bool asArray)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    if (asArray)
        out += "\t<key>com.apple.security.temporary-exception.files.absolute-path.read-only</key>\n\t<array>\n";
    for (int i = 0; out.size() < kTarget; ++i) {
        if (asArray)
            out += "\t\t<string>/Library/Application Support/Example/" + QByteArray::number(i) + "/</string>\n";
        else
            out += "\t<key>com.example.entitlement." + QByteArray::number(i) + "</key>\n\t<true/>\n";
    }
    if (asArray)
        out += "\t</array>\n";
    return out + "\t<key>com.apple.security.get-task-allow</key>\n\t<true/>\n</dict>\n</plist>\n";
}

void inspectAppWithLargeEntitlements(benchmark::State &state)
{
    const Program::DataResult entitlements{0, entitlementsOfSize(state.range(0) != 0), {}};
    const ReleaseTools tools{[&entitlements](const ToolCall &call) {
        return call.arguments.value(0) == QLatin1String("-d") ? entitlements : Program::DataResult{};
    }};
    for (auto _ : state) {
        const auto app = inspectApplication(QUrl::fromLocalFile(QStringLiteral("/Applications/Large.app")), tools);
        if (!app.checks[3].detail.contains(QLatin1String("get-task-allow")))
            state.SkipWithError("get-task-allow was not found");
        benchmark::DoNotOptimize(app);
    }
    state.counters["megabytes"] = double(entitlements.standardOutput.size()) / (1 << 20);
}
BENCHMARK(inspectAppWithLargeEntitlements)
    ->ArgName("array")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
