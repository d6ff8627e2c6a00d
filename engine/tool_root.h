#pragma once
// Where the release tools live, the one place the application learns it, and
// what the tools there cannot decide.
// On macOS the real tools answer at their own paths, so the root is "/" and
// they decide every call. Elsewhere it is the stand-in root, found from the
// running executable by the relative path the build compiled in
// (VERISTAMP_TOOL_ROOT_FROM_PROGRAMS, "../libexec/veristamp/release-tools" by
// default); the build tree and an installed tree both lay it out so.

#include <QList>
#include <QString>

// The questions only a Mac can answer: Gatekeeper's assessment needs the
// Mac's policy, a ticket's authenticity and a certificate's revocation
// Apple's services. Revocation is part of Gatekeeper's answer on a Mac, so
// where it cannot be checked the assessment's warning says so.
enum class HostQuestion { gatekeeperAssessment, ticketAuthenticity, certificateRevocation };

struct HostLimits {
    // What the tools under this root may leave undecided, and the exit status
    // by which they say they did. A recorded answer never carries it, so a
    // recorded package stays decided.
    QList<HostQuestion> undecidable;
    int undecidedStatus = 0;
    // The tools read the package's own bytes rather than being the platform's.
    bool readsPackageBytes = false;
    // The tools replay answers recorded inside packages: a test and
    // demonstration device, on only when asked for (recordedAnswersRequested).
    bool replaysRecordedAnswers = false;
};

struct ToolRoot {
    QString path;
    HostLimits limits;
};

// The platform's own tools: "/" with no limits.
ToolRoot platformToolRoot();
// The stand-ins under path, with what they cannot decide; they replay
// recorded answers when recordedAnswersRequested().
ToolRoot standInToolRoot(const QString &path);
ToolRoot defaultToolRoot();

// Whether a call asking question came back undecided from the tools under these limits.
bool leftUndecided(const HostLimits &limits, HostQuestion question, int exitStatus);
