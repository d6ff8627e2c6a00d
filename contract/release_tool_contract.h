#pragma once
// The release tool contract, owned here so the engine that makes the calls
// and the stand-in tools that answer them cannot drift apart: the nine
// argument vectors, the status a stand-in answers a question only a Mac can
// decide with, and the switch that lets it replay answers recorded inside a
// package.

#include <QString>
#include <QStringList>

#include <array>

// C1 .. H3: verify, display, entitlements (codesign); assess an app, assess
// an image (spctl); validate a ticket (xcrun stapler); verify, attach,
// detach (hdiutil).
enum class CallId { C1, C2, C3, S1, S2, X1, H1, H2, H3 };
inline constexpr std::array<CallId, 9> kEveryCall{CallId::C1, CallId::C2, CallId::C3, CallId::S1, CallId::S2,
                                                  CallId::X1, CallId::H1, CallId::H2, CallId::H3};

struct CallVector {
    QString executable;  // the platform's absolute path, e.g. "/usr/bin/codesign"
    QStringList leading; // every argument before the path, which always comes last
};

CallVector callVector(CallId id);
// "C1" .. "H3": the call's name, and the stem of its record files.
QString callName(CallId id);

// EX_UNAVAILABLE: none of the platform's release tools uses it for a verdict.
inline constexpr int kUndecidedStatus = 69;

// Recorded answers are a test and demonstration device. The stand-ins honour
// them only when this environment variable is exactly "1": nothing inside a
// package can set it, so a package never decides how it is judged.
inline constexpr char kReplayRecordsVariable[] = "VERISTAMP_REPLAY_RECORDS";

bool recordedAnswersRequested();

// The display call's (C2) words that both its readers and the stand-in that
// writes them depend on: the line naming one certificate of the signer's
// chain, leaf first, by its common name; the mark of an ad-hoc signature;
// and codesign's words for code that carries no signature.
inline constexpr char kAuthorityLinePrefix[] = "Authority=";
inline constexpr char kAdHocLine[] = "Signature=adhoc";
inline constexpr char kNotSignedAtAll[] = "code object is not signed at all";

// Whether a certificate's common name (an "Authority=" line's, or the
// certificate's own) names a Developer ID Application identity. A name is
// only a claim: whether the certificate is one is for its chain to say.
bool namesDeveloperIdApplication(QStringView commonName);
