#include "report/byte_count_text.h"

#include <array>

namespace {

struct ByteUnit {
    const char *name;
    std::uint64_t size;
    int decimals;
};

constexpr std::array<ByteUnit, 6> units{{
    {"KB", 1'000ULL, 0},
    {"MB", 1'000'000ULL, 1},
    {"GB", 1'000'000'000ULL, 2},
    {"TB", 1'000'000'000'000ULL, 2},
    {"PB", 1'000'000'000'000'000ULL, 2},
    {"EB", 1'000'000'000'000'000'000ULL, 2},
}};

std::uint64_t powerOfTen(int exponent)
{
    std::uint64_t value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

// The count in hundredths (or tenths, or wholes) of the unit, rounded half up.
// Dividing by a step instead of multiplying the count keeps every value of a
// 64-bit count inside 64 bits.
std::uint64_t scaledCount(std::uint64_t bytes, const ByteUnit &unit)
{
    const std::uint64_t step = unit.size / powerOfTen(unit.decimals);
    const std::uint64_t whole = bytes / step;
    return bytes % step * 2 >= step ? whole + 1 : whole;
}

QString decimalText(std::uint64_t scaled, int decimals)
{
    const std::uint64_t divisor = powerOfTen(decimals);
    QString text = QString::number(scaled / divisor);
    QString fraction = QString::number(scaled % divisor).rightJustified(decimals, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    return text;
}

QString unsignedByteCountText(std::uint64_t bytes)
{
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    if (bytes == 1)
        return QStringLiteral("1 byte");
    if (bytes < units.front().size)
        return QString::number(bytes) + QStringLiteral(" bytes");

    std::size_t index = 0;
    while (index + 1 < units.size() && bytes >= units[index + 1].size)
        ++index;
    std::uint64_t scaled = scaledCount(bytes, units[index]);
    if (index + 1 < units.size() && scaled >= 1000 * powerOfTen(units[index].decimals)) {
        ++index;
        scaled = scaledCount(bytes, units[index]);
    }
    return decimalText(scaled, units[index].decimals) + QLatin1Char(' ') + QLatin1String(units[index].name);
}

} // namespace

QString byteCountText(std::int64_t bytes)
{
    if (bytes >= 0)
        return unsignedByteCountText(static_cast<std::uint64_t>(bytes));
    // Sizes are never negative; should one arrive, show it signed rather than wrapped.
    return QLatin1Char('-') + unsignedByteCountText(0 - static_cast<std::uint64_t>(bytes));
}
