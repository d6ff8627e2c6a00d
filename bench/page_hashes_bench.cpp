// Checking the page digests of a large universal binary against the system's
// sha256sum over the same file (the goal: at least 80 % of its speed) and a
// single in-process SHA-256 pass. The binary is synthetic but whole: two
// architectures, each with an ad hoc signature whose CodeDirectory hashes
// every 4 KiB page, so readCode walks the same path as for real code. Made
// once, read once to warm the page cache, removed at the end.
//
//   page_hashes_bench [--benchmark_...]   VERISTAMP_PAGE_BENCH_MB=100 (default)

#include "codesig/code_reading.h"
#include "codesig/mapped_file.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <chrono>

namespace {

constexpr quint32 pageSize = 4096;
constexpr quint32 sliceAlignment = 16384;
double g_sha256sumSeconds = 0;

quint32 sliceCodeBytes()
{
    const int megabytes = qEnvironmentVariableIntValue("VERISTAMP_PAGE_BENCH_MB");
    return quint32(megabytes > 0 ? megabytes : 100) * 1024 * 1024 / 2 / sliceAlignment * sliceAlignment;
}

void be32(QByteArray &bytes, qsizetype at, quint32 value) { qToBigEndian(value, bytes.data() + at); }
void le32(QByteArray &bytes, qsizetype at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }

// One thin 64-bit slice: header, LC_CODE_SIGNATURE, random code, then an ad
// hoc SuperBlob whose single CodeDirectory hashes every page before it.
QByteArray slice(quint32 cpuType, quint32 seed)
{
    const quint32 codeLimit = sliceCodeBytes();
    const quint32 pages = (codeLimit + pageSize - 1) / pageSize;
    const quint32 hashOffset = 96;
    const quint32 directoryLength = hashOffset + pages * 32;
    const quint32 signatureLength = 20 + directoryLength;
    QByteArray bytes(qsizetype(codeLimit + signatureLength), '\0');
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data() + 64), (codeLimit - 64) / 4);
    le32(bytes, 0, 0xfeedfacf); le32(bytes, 4, cpuType); le32(bytes, 12, 2); le32(bytes, 16, 1); le32(bytes, 20, 16);
    le32(bytes, 32, 0x1d); le32(bytes, 36, 16); le32(bytes, 40, codeLimit); le32(bytes, 44, signatureLength);
    const qsizetype blob = codeLimit, cd = blob + 20;
    be32(bytes, blob, 0xfade0cc0); be32(bytes, blob + 4, signatureLength); be32(bytes, blob + 8, 1);
    be32(bytes, blob + 16, 20);
    be32(bytes, cd, 0xfade0c02); be32(bytes, cd + 4, directoryLength); be32(bytes, cd + 8, 0x20400);
    be32(bytes, cd + 12, 0x2); be32(bytes, cd + 16, hashOffset); be32(bytes, cd + 20, 88);
    be32(bytes, cd + 28, pages); be32(bytes, cd + 32, codeLimit);
    bytes[cd + 36] = 32; bytes[cd + 37] = 2; bytes[cd + 39] = 12;
    bytes.replace(cd + 88, 6, QByteArray("bench\0", 6));
    for (quint32 page = 0; page < pages; ++page) {
        unsigned int length = 0;
        EVP_Digest(bytes.constData() + qsizetype(page) * pageSize, std::min(pageSize, codeLimit - page * pageSize),
                   reinterpret_cast<unsigned char *>(bytes.data() + cd + hashOffset + page * 32), &length, EVP_sha256(), nullptr);
    }
    return bytes;
}

QString universalBinary()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QByteArray intel = slice(0x01000007, 1), arm = slice(0x0100000c, 2);
        const quint32 armOffset = (sliceAlignment + quint32(intel.size()) + sliceAlignment - 1) / sliceAlignment * sliceAlignment;
        QByteArray header(sliceAlignment, '\0');
        be32(header, 0, 0xcafebabe); be32(header, 4, 2);
        const quint32 arches[2][3] = {{0x01000007, sliceAlignment, quint32(intel.size())},
                                      {0x0100000c, armOffset, quint32(arm.size())}};
        for (int i = 0; i < 2; ++i) {
            be32(header, 8 + i * 20, arches[i][0]); be32(header, 16 + i * 20, arches[i][1]);
            be32(header, 20 + i * 20, arches[i][2]); be32(header, 24 + i * 20, 14);
        }
        const QString file = dir.filePath(QStringLiteral("universal"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return QString();
        out.write(header);
        out.write(intel);
        out.write(QByteArray(armOffset - sliceAlignment - intel.size(), '\0'));
        out.write(arm);
        out.close();
        codesig::readCode(file); // into the page cache
        return file;
    }();
    return path;
}

qint64 fileBytes() { return QFile(universalBinary()).size(); }

void sha256sum(benchmark::State &state)
{
    const QString file = universalBinary();
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sha256sum"));
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QProcess sum;
        sum.setStandardOutputFile(QProcess::nullDevice());
        sum.start(tool.isEmpty() ? QStringLiteral("shasum") : tool,
                  tool.isEmpty() ? QStringList{"-a", "256", file} : QStringList{file});
        if (!sum.waitForFinished(-1) || sum.exitCode() != 0)
            state.SkipWithError("sha256sum failed");
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    g_sha256sumSeconds = total / double(state.iterations());
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

void pageHashes(benchmark::State &state)
{
    const QString file = universalBinary();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const codesig::CodeReading reading = codesig::readCode(file);
        if (!reading.failures.isEmpty() || reading.slices.size() != 2)
            state.SkipWithError(qPrintable(reading.failures.value(0, QStringLiteral("slices missing"))));
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.SetBytesProcessed(state.iterations() * fileBytes());
    state.counters["of_sha256sum_speed"] = g_sha256sumSeconds > 0 ? g_sha256sumSeconds / (total / double(state.iterations())) : 0;
}

void singleSha256Pass(benchmark::State &state)
{
    const codesig::MappedFile file(universalBinary());
    for (auto _ : state) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_Digest(file.bytes().data(), file.bytes().size(), digest, &length, EVP_sha256(), nullptr);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

} // namespace

BENCHMARK(sha256sum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(pageHashes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(singleSha256Pass)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
