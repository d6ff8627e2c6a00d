#include "report/visible_text.h"

bool isHiddenControl(QChar character)
{
    const char16_t code = character.unicode();
    return (code < 0x20 && code != u'\t') || (code >= 0x7F && code <= 0x9F);
}

QString visibleText(const QString &text, LineFeeds lineFeeds)
{
    auto hidden = [lineFeeds](QChar character) {
        return isHiddenControl(character) && !(lineFeeds == LineFeeds::keep && character == u'\n');
    };
    qsizetype first = 0;
    while (first < text.size() && !hidden(text.at(first)))
        ++first;
    if (first == text.size())
        return text;
    QString shown = text;
    for (qsizetype i = first; i < shown.size(); ++i) {
        if (hidden(shown.at(i)))
            shown[i] = QChar(0xFFFD);
    }
    return shown;
}
