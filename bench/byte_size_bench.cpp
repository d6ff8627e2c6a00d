// Size on disk of a large bundle: 100,000 small files in nested folders,
// generated once outside the timed loop. Reports the time per file.

#include "engine/byte_size.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kFolders = 1000;      // 100 groups of 10 folders, two levels deep
constexpr int kFilesPerFolder = 100;
constexpr int kFiles = kFolders * kFilesPerFolder;

QString generatedBundle()
{
    static QTemporaryDir dir;
    static const bool generated = [] {
        const QByteArray content(200, 'x');
        for (int folder = 0; folder < kFolders; ++folder) {
            const QString path =
                dir.filePath(QStringLiteral("Large.app/Contents/Resources/%1/%2").arg(folder / 10).arg(folder % 10));
            QDir().mkpath(path);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                QFile out(path + QStringLiteral("/file%1.dat").arg(file));
                if (out.open(QIODevice::WriteOnly))
                    out.write(content);
            }
        }
        return true;
    }();
    Q_UNUSED(generated);
    return dir.filePath(QStringLiteral("Large.app"));
}

void measureLargeBundle(benchmark::State &state)
{
    const QUrl bundle = QUrl::fromLocalFile(generatedBundle());
    std::int64_t size = 0;
    for (auto _ : state) {
        size = measureByteSize(bundle);
        benchmark::DoNotOptimize(size);
    }
    state.counters["bytes"] = double(size);
    state.counters["per_file"] =
        benchmark::Counter(double(kFiles), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(measureLargeBundle)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
