#include "ui/views/entitlements_display.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextBoundaryFinder>

#include <vector>

namespace {

constexpr QChar wordJoiner(0x2060);
constexpr QChar zeroWidthSpace(0x200B);

bool betweenTags(const QString &text, qsizetype at)
{
    return at > 0 && at < text.size() && text[at - 1] == QLatin1Char('>') && text[at] == QLatin1Char('<');
}

} // namespace

QString entitlementsDisplayText(const QString &entitlements)
{
    std::vector<bool> breaks(size_t(entitlements.size()) + 1, false);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, entitlements);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
        breaks[size_t(at)] = true;

    QString shown;
    shown.reserve(entitlements.size() + entitlements.size() / 4);
    for (qsizetype at = 0; at < entitlements.size(); ++at) {
        if (at > 0) {
            const bool afterSpace = entitlements[at - 1].isSpace() && !entitlements[at].isSpace();
            const bool wanted = afterSpace || betweenTags(entitlements, at);
            if (breaks[size_t(at)] && !wanted)
                shown.append(wordJoiner);
            else if (!breaks[size_t(at)] && wanted)
                shown.append(zeroWidthSpace);
        }
        shown.append(entitlements[at]);
    }
    return shown;
}

QString entitlementsCopiedText(const QString &selection)
{
    QString copied = selection;
    copied.remove(wordJoiner).remove(zeroWidthSpace);
    copied.replace(QChar::LineSeparator, QLatin1Char('\n')).replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return copied;
}

bool EntitlementsClipboard::copy(const QString &selection) const
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(entitlementsCopiedText(selection));
    return true;
}

QString EntitlementsClipboard::plain(const QString &displayed) const
{
    return entitlementsCopiedText(displayed);
}

void keepPrimarySelectionPlain()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard || !clipboard->supportsSelection())
        return;
    QObject::connect(clipboard, &QClipboard::selectionChanged, clipboard, [clipboard] {
        if (!clipboard->ownsSelection())
            return;
        const QString selected = clipboard->text(QClipboard::Selection);
        const QString plain = entitlementsCopiedText(selected);
        // The replacement changes the selection once more, then equals itself.
        if (plain != selected)
            clipboard->setText(plain, QClipboard::Selection);
    });
}
