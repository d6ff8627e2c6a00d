#pragma once
// Every check an inspector makes, defined once: the id machine-readable
// output keys it on, the title the report and the screen print, and the title
// of the live stage that shows it. A retitled check keeps its id, so the
// consumers of the evidence documents never see it change.

#include "engine/inspection_records.h"

#include <QAnyStringView>
#include <QLatin1String>

struct CheckDefinition {
    QLatin1String id;
    QLatin1String title;
    QLatin1String stageTitle; // empty for a check no live stage shows
};

namespace Checks {
inline constexpr CheckDefinition codeSignature{QLatin1String("code-signature"), QLatin1String("Code signature"),
                                               QLatin1String("Verifying code signature")};
inline constexpr CheckDefinition developerId{QLatin1String("developer-id"), QLatin1String("Developer ID"),
                                             QLatin1String("Checking Developer ID")};
inline constexpr CheckDefinition hardenedRuntime{QLatin1String("hardened-runtime"), QLatin1String("Hardened Runtime"),
                                                 QLatin1String("Checking Hardened Runtime")};
inline constexpr CheckDefinition releaseEntitlements{QLatin1String("release-entitlements"),
                                                     QLatin1String("Release entitlements"),
                                                     QLatin1String("Reviewing release entitlements")};
inline constexpr CheckDefinition gatekeeperAssessment{QLatin1String("gatekeeper-assessment"),
                                                      QLatin1String("Gatekeeper assessment"),
                                                      QLatin1String("Running Gatekeeper assessment")};
inline constexpr CheckDefinition diskImageIntegrity{QLatin1String("disk-image-integrity"),
                                                    QLatin1String("Disk image integrity"),
                                                    QLatin1String("Verifying disk image")};
inline constexpr CheckDefinition diskImageSignature{QLatin1String("dmg-signature"), QLatin1String("DMG signature"),
                                                    QLatin1String("Checking Developer ID signature")};
inline constexpr CheckDefinition notarizationTicket{QLatin1String("stapled-notarization-ticket"),
                                                    QLatin1String("Stapled notarization ticket"),
                                                    QLatin1String("Validating notarization ticket")};
inline constexpr CheckDefinition diskImageMount{QLatin1String("mount-disk-image"), QLatin1String("Mount disk image"),
                                                QLatin1String("Mounting disk image")};
inline constexpr CheckDefinition packagedApplication{QLatin1String("packaged-application"),
                                                     QLatin1String("Packaged application"),
                                                     QLatin1String("Inspecting packaged application")};
inline constexpr CheckDefinition diskImageCleanup{QLatin1String("disk-image-cleanup"),
                                                  QLatin1String("Disk image cleanup"), QLatin1String()};
} // namespace Checks

InspectionCheck makeCheck(const CheckDefinition &check, CheckStatus status, const QString &detail);

// The position of the check in a list of stages; -1 when it is none of them.
int stageIndex(const QList<CheckDefinition> &stages, QAnyStringView checkId);
