#include "code_answers.h"
#include "contract/release_tool_contract.h"

#include <QFileInfo>
#include <QLocale>

using codesig::CodeReading;
using codesig::SliceSignature;

namespace {

QByteArray lines(const QStringList &texts)
{
    QByteArray bytes;
    for (const QString &text : texts)
        bytes += text.toUtf8() + '\n';
    return bytes;
}

// A value read from the package on one line: a line break or other control
// character in an identifier or a certificate's name could otherwise add a
// line of its own, such as an "Authority=" the signature does not carry.
// Readers split lines at Unicode's line and paragraph separators too.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QString prefixed(const QString &path, const QString &text)
{
    return path + QStringLiteral(": ") + text;
}

// The failures with the package's path before the headline, as codesign prints them.
QStringList failureLines(const QString &path, const CodeReading &code)
{
    QStringList texts;
    for (const QString &failure : code.failures)
        texts << oneLine(failure);
    if (texts.isEmpty())
        texts << QStringLiteral("invalid signature");
    texts[0] = prefixed(path, texts[0]);
    return texts;
}

Outcome notSigned(const QString &path)
{
    return Outcome{1, QByteArray(), lines({prefixed(path, QLatin1String(kNotSignedAtAll))})};
}

QString flagsText(quint32 flags)
{
    static const std::pair<quint32, const char *> names[] = {
        {0x2, "adhoc"}, {0x100, "hard"}, {0x200, "kill"}, {0x400, "expires"}, {0x800, "restrict"},
        {0x2000, "library-validation"}, {0x10000, "runtime"}, {0x20000, "linker-signed"}};
    QStringList set;
    for (const auto &[bit, name] : names) {
        if (flags & bit)
            set << QString::fromLatin1(name);
    }
    return QStringLiteral("0x%1(%2)").arg(flags, 0, 16).arg(set.isEmpty() ? QStringLiteral("none") : set.join(QLatin1Char(',')));
}

QString timeText(const QDateTime &time)
{
    return QLocale::c().toString(time.toUTC(), QStringLiteral("MMM d, yyyy 'at' HH:mm:ss"));
}

QStringList displayLines(const QString &path, const CodeReading &code, const SliceSignature &slice)
{
    QStringList texts{QStringLiteral("Executable=") + oneLine(code.executablePath.isEmpty() ? path : code.executablePath),
                      QStringLiteral("Identifier=") + oneLine(slice.identifier),
                      QStringLiteral("Format=") + code.format,
                      QStringLiteral("CodeDirectory v=%1 flags=%2 location=embedded")
                          .arg(slice.codeDirectoryVersion, 0, 16)
                          .arg(flagsText(slice.flags)),
                      QStringLiteral("Hash type=") + slice.hashType,
                      QStringLiteral("CDHash=") + QString::fromLatin1(slice.cdHash.left(20).toHex())};
    if (slice.authorities.isEmpty())
        texts << QLatin1String(kAdHocLine);
    for (const QString &authority : slice.authorities)
        texts << QLatin1String(kAuthorityLinePrefix) + oneLine(authority);
    if (slice.secureTimestamp)
        texts << QStringLiteral("Timestamp=") + timeText(*slice.secureTimestamp);
    else if (slice.signingTime)
        texts << QStringLiteral("Signed Time=") + timeText(*slice.signingTime);
    texts << QStringLiteral("TeamIdentifier=")
                 + (slice.teamIdentifier.isEmpty() ? QStringLiteral("not set") : oneLine(slice.teamIdentifier));
    return texts;
}

// From the certificates' own extensions, never from their names.
bool hasDeveloperId(const CodeReading &code)
{
    return !code.slices.empty() && code.slices.front().developerId;
}

Outcome rejected(const QString &path, const QString &source)
{
    // spctl's status for a rejected assessment.
    return Outcome{3, QByteArray(), lines({prefixed(path, QStringLiteral("rejected")), QStringLiteral("source=") + source})};
}

} // namespace

Outcome verificationAnswer(const QString &path, const CodeReading &code)
{
    if (!code.failures.isEmpty())
        return Outcome{1, QByteArray(), lines(failureLines(path, code))};
    return Outcome{0, QByteArray(),
                   lines({prefixed(path, QStringLiteral("valid on disk")),
                          prefixed(path, QStringLiteral("satisfies its Designated Requirement"))})};
}

Outcome displayAnswer(const QString &path, const CodeReading &code)
{
    if (!code.isSigned || code.slices.empty())
        return notSigned(path);
    return Outcome{0, QByteArray(), lines(displayLines(path, code, code.slices.front()))};
}

Outcome entitlementsAnswer(const QString &path, const CodeReading &code)
{
    if (!code.isSigned || code.slices.empty())
        return notSigned(path);
    return Outcome{0, code.slices.front().entitlementsXml, QByteArray()};
}

Outcome assessmentAnswer(const QString &path, const CodeReading &code)
{
    if (!code.isSigned || code.slices.empty() || code.slices.front().authorities.isEmpty())
        return rejected(path, QStringLiteral("no usable signature"));
    if (!code.failures.isEmpty())
        return Outcome{3, QByteArray(), lines(failureLines(path, code))};
    if (!hasDeveloperId(code))
        return rejected(path, oneLine(code.slices.front().authorities.front()));
    return Outcome{kUndecidedStatus, QByteArray(),
                   lines({prefixed(path, QStringLiteral("not assessed: Gatekeeper's policy is only on a Mac"))})};
}

Outcome ticketAnswer(const QString &path, const codesig::StapledTicket &ticket)
{
    const QFileInfo info(path);
    const QByteArray processing = lines({QStringLiteral("Processing: ") + info.absoluteFilePath()});
    const QString name = info.fileName();
    // 65 is stapler's status when no usable ticket is found.
    if (!ticket.present)
        return Outcome{65, processing, lines({name + QStringLiteral(" does not have a ticket stapled to it.")})};
    if (!ticket.namesCode)
        return Outcome{65, processing, lines({name + QStringLiteral(" has a stapled ticket that does not name its code.")})};
    return Outcome{kUndecidedStatus, processing,
                   lines({name + QStringLiteral(" has a ticket stapled to it; its signature can only be validated on a Mac.")})};
}
