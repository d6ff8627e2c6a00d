// SHA-256 of one large image file, in one run: the system's sha256sum (the
// goal: the package digest at no less than 80 % of its speed), the package
// digest, and Qt's own QCryptographicHash for comparison. The file is made
// once, read once to warm the page cache, and removed at the end; every
// contender reads it from the cache. The package digest also reports the
// process's peak resident memory and how much it grew while hashing the
// gigabyte three times: one read buffer's worth, whatever the file's size.
//
//   file_digest_bench [--benchmark_...]   VERISTAMP_DIGEST_BENCH_MB=1024 (default)

#include "engine/file_digest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>

namespace {

double g_sha256sumSeconds = 0; // mean per run, for the ratio

qint64 fileBytes()
{
    const int megabytes = qEnvironmentVariableIntValue("VERISTAMP_DIGEST_BENCH_MB");
    return qint64(megabytes > 0 ? megabytes : 1024) * 1024 * 1024;
}

QString largeFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("Large.dmg"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return QString();
        QByteArray block(1 << 20, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (qint64 left = fileBytes(); left > 0; left -= block.size()) {
            random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            out.write(block.constData(), std::min<qint64>(left, block.size()));
        }
        out.close();
        fileDigest(file); // into the page cache
        return file;
    }();
    return path;
}

long maxResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
#ifdef __APPLE__
    return usage.ru_maxrss / 1024; // bytes there, KiB elsewhere
#else
    return usage.ru_maxrss;
#endif
}

void sha256sum(benchmark::State &state)
{
    const QString file = largeFile();
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sha256sum"));
    const QStringList arguments = tool.isEmpty() ? QStringList{"-a", "256", file} : QStringList{file};
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QProcess sum;
        sum.setStandardOutputFile(QProcess::nullDevice());
        sum.start(tool.isEmpty() ? QStringLiteral("shasum") : tool, arguments);
        if (!sum.waitForFinished(-1) || sum.exitCode() != 0)
            state.SkipWithError("sha256sum failed");
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    g_sha256sumSeconds = total / double(state.iterations());
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

void packageDigest(benchmark::State &state)
{
    const QString file = largeFile();
    const long residentBefore = maxResidentKiB();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!fileDigest(file).sha256)
            state.SkipWithError("no digest");
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double seconds = total / double(state.iterations());
    state.SetBytesProcessed(state.iterations() * fileBytes());
    state.counters["of_sha256sum_speed"] = g_sha256sumSeconds > 0 ? g_sha256sumSeconds / seconds : 0;
    state.counters["peak_rss_growth_KiB"] = double(maxResidentKiB() - residentBefore);
    state.counters["peak_rss_KiB"] = double(maxResidentKiB());
}

void qtCryptographicHash(benchmark::State &state)
{
    const QString file = largeFile();
    QByteArray buffer(int(kDigestBufferSize), Qt::Uninitialized);
    for (auto _ : state) {
        QFile in(file);
        in.open(QIODevice::ReadOnly);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (qint64 n; (n = in.read(buffer.data(), buffer.size())) > 0;)
            hash.addData(QByteArrayView(buffer.constData(), n));
        benchmark::DoNotOptimize(hash.result());
    }
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

} // namespace

BENCHMARK(sha256sum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(packageDigest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(qtCryptographicHash)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
