// What one check of a bundle's resource seal reads when many sealed names are
// hard links to one file: 500 links to a 16 MiB helper, each digested as a
// seal entry of its own. Each iteration starts on new files, so that what one
// iteration learnt never serves the next.

#include "codesig/seal_digest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

constexpr int kLinks = 500;
constexpr qint64 kHelperSize = qint64(16) << 20;

// The helper and its links, written anew: new inodes.
QList<QByteArray> linkedHelper(const QTemporaryDir &folder, int round)
{
    const QString helper = folder.filePath(QStringLiteral("helper-%1").arg(round));
    QFile file(helper);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(kHelperSize, char(round))) != kHelperSize)
        return {};
    file.close();
    QList<QByteArray> names{QFile::encodeName(helper)};
    for (int i = 0; i < kLinks; ++i) {
        names << QFile::encodeName(helper + QStringLiteral("-link-%1").arg(i));
        if (::link(names.first().constData(), names.last().constData()) != 0)
            return {};
    }
    return names;
}

void BM_SealDigestOfHardLinks(benchmark::State &state)
{
    QTemporaryDir folder;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QList<QByteArray> names = linkedHelper(folder, round++);
        state.ResumeTiming();
        if (names.isEmpty()) {
            state.SkipWithError("the helper and its links could not be written");
            break;
        }
        for (const QByteArray &name : names)
            benchmark::DoNotOptimize(codesig::digestSealedFile(name, codesig::SealDigest::sha256));
    }
    state.counters["names"] = kLinks + 1;
}

} // namespace

BENCHMARK(BM_SealDigestOfHardLinks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
