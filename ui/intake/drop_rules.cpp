#include "ui/intake/drop_rules.h"

#include "ui/views/content_view_state.h"

bool acceptsDraggedUrls(const QList<QUrl> &urls)
{
    return !urls.isEmpty() && urls.first().isLocalFile();
}

std::optional<QUrl> droppedPackageUrl(const QList<QUrl> &urls)
{
    if (!acceptsDraggedUrls(urls))
        return std::nullopt;
    return urls.first();
}

bool DropRules::accepts(const QList<QUrl> &urls) const
{
    return acceptsDraggedUrls(urls);
}

bool DropRules::deliver(const QList<QUrl> &urls, ContentViewState *state) const
{
    const auto url = droppedPackageUrl(urls);
    if (!url || !state)
        return false;
    state->receiveDroppedUrl(*url);
    return true;
}
