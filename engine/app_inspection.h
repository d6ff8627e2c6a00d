#pragma once
// Inspects one .app bundle: the calls C1, C2, C3 and S1 in that order, five
// release checks, the bundle's metadata and its signed entitlements text.
// Never stops early: every check is produced whatever the tools answer.

#include "engine/check_catalog.h"
#include "engine/release_tools.h"
#include "engine/stage_progress.h"

#include <QStringList>
#include <QUrl>

// The live stages of an app's inspection: its checks, in the order it makes them.
const QList<CheckDefinition> &applicationStages();

AppInspection inspectApplication(const QUrl &app, const ReleaseTools &tools, const StageProgress &progress = {});
