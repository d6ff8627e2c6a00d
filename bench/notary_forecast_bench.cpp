// The notary forecast of a large app against one SHA-256 pass over the same
// bytes (the goal: at most twice its time). The app is made once with the
// test suite's ad-hoc signer: a main executable and VERISTAMP_FORECAST_BENCH_FILES
// (200 by default) dylibs of VERISTAMP_FORECAST_BENCH_MB MiB each (1 by
// default) under Contents/Frameworks, signed inside out, so the forecast
// checks every page digest and the bundle's seal, as for real code.
//
//   notary_forecast_bench [--benchmark_...]

#include "adhoc_signer.h"

#include "codesig/code_reading.h"
#include "codesig/notary_forecast.h"
#include "engine/file_digest.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

int setting(const char *name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// The app, made on first use and removed when the program ends.
const QString &largeApp()
{
    static QTemporaryDir folder;
    static const QString app = [] {
        const QString path = folder.filePath(QStringLiteral("Large.app"));
        const adhoc::Bundle top = adhoc::makeBundle(path, adhoc::Layout::contents, QStringLiteral("Large"));
        const QByteArray payload = randomBytes(qsizetype(setting("VERISTAMP_FORECAST_BENCH_MB", 1)) << 20);
        const int files = setting("VERISTAMP_FORECAST_BENCH_FILES", 200);
        for (int i = 0; i < files; ++i)
            adhoc::writeMachO(path + QStringLiteral("/Contents/Frameworks/lib%1.dylib").arg(i), payload, QStringLiteral("lib%1").arg(i));
        adhoc::signBundle(top);
        return path;
    }();
    return app;
}

void forecast(benchmark::State &state)
{
    const QString app = largeApp();
    for (auto _ : state) {
        const NotaryForecast result = codesig::forecastPackage(app, QStringLiteral("Large.app"));
        benchmark::DoNotOptimize(result.issues.size());
    }
}

// The signature check alone, as the stand-in codesign makes it: the floor
// the forecast stands on, since both hash every page once.
void signatureCheck(benchmark::State &state)
{
    const QString app = largeApp();
    for (auto _ : state)
        benchmark::DoNotOptimize(codesig::readCode(app).failures.size());
}

// One SHA-256 pass over every file of the app, as a digest tool makes it.
void sha256Pass(benchmark::State &state)
{
    const QString app = largeApp();
    std::vector<char> buffer(kDigestBufferSize);
    for (auto _ : state) {
        std::int64_t bytes = 0;
        QDirIterator files(app, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const int fd = ::open(QFile::encodeName(files.next()).constData(), O_RDONLY | O_CLOEXEC);
            Sha256 hash;
            bytes += hashDescriptor(fd, hash, buffer).value_or(0);
            benchmark::DoNotOptimize(hexDigest(hash));
            ::close(fd);
        }
        state.counters["bytes"] = double(bytes);
    }
}

} // namespace

BENCHMARK(sha256Pass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(signatureCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(forecast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
