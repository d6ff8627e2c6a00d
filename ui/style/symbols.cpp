#include "ui/style/symbols.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QUrlQuery>

#include <array>
#include <utility>

namespace {

// The platform symbol names of the screens and the Bootstrap icon drawn for each.
constexpr std::array<std::pair<const char *, const char *>, 16> symbolTable{{
    {"checkmark.seal.fill", "patch-check-fill"},
    {"shippingbox.and.arrow.backward.fill", "box-seam-fill"},
    {"circle", "circle"},
    {"checkmark.circle.fill", "check-circle-fill"},
    {"exclamationmark.triangle.fill", "exclamation-triangle-fill"},
    {"xmark.circle.fill", "x-circle-fill"},
    {"xmark.octagon.fill", "x-octagon-fill"},
    {"app.badge.checkmark", "app-badge-checkmark"},
    {"externaldrive.fill", "device-hdd-fill"},
    {"clock.fill", "clock-fill"},
    {"doc.text.fill", "file-earmark-text-fill"},
    {"square.and.arrow.down", "download"},
    {"signature", "pen-fill"},
    {"lock.shield.fill", "shield-lock-fill"},
    {"seal.fill", "award-fill"},
    {"checkmark.shield.fill", "shield-fill-check"},
}};

// The icons are square; an empty or half-given size falls back to the other side or 64.
QSize effectiveSize(const QSize &requested)
{
    const int width = requested.width() > 0 ? requested.width() : requested.height();
    const int height = requested.height() > 0 ? requested.height() : requested.width();
    return width > 0 && height > 0 ? QSize(width, height) : QSize(64, 64);
}

} // namespace

QStringList symbolNames()
{
    QStringList names;
    for (const auto &[name, file] : symbolTable)
        names << QString::fromLatin1(name);
    return names;
}

std::optional<QString> symbolIconPath(const QString &symbolName)
{
    for (const auto &[name, file] : symbolTable) {
        if (symbolName == QLatin1String(name))
            return QStringLiteral(":/Veristamp/icons/%1.svg").arg(QLatin1String(file));
    }
    return std::nullopt;
}

QImage renderSymbol(const QString &symbolName, QSize pixelSize, const QColor &colour)
{
    const auto path = symbolIconPath(symbolName);
    if (!path || pixelSize.isEmpty())
        return {};
    QSvgRenderer renderer(*path);
    if (!renderer.isValid())
        return {};
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);

    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    // The icon's own colour is irrelevant: only its coverage is kept.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    return image;
}

QUrl symbolImageSource(const QString &symbolName, const QColor &colour)
{
    QUrl url;
    url.setScheme(QStringLiteral("image"));
    url.setHost(QStringLiteral("symbol"));
    url.setPath(QLatin1Char('/') + symbolName);
    // Without its '#', which a URL would read as the start of a fragment.
    url.setQuery(QStringLiteral("color=") + colour.name(QColor::HexArgb).mid(1));
    return url;
}

SymbolImageProvider::SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage SymbolImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const qsizetype queryStart = id.indexOf(QLatin1Char('?'));
    const QString name = id.left(queryStart);
    QColor colour(Qt::white);
    if (queryStart >= 0) {
        const QString hex = QUrlQuery(id.mid(queryStart + 1)).queryItemValue(QStringLiteral("color"));
        colour = QColor(QLatin1Char('#') + hex);
    }
    if (!colour.isValid())
        colour = Qt::white;
    const QImage image = renderSymbol(name, effectiveSize(requestedSize), colour);
    if (size)
        *size = image.size();
    return image;
}

QUrl Symbols::source(const QString &symbolName, const QColor &colour) const
{
    // No name, no image (a row whose status shows a spinner instead).
    if (symbolName.isEmpty())
        return {};
    return symbolImageSource(symbolName, colour);
}
