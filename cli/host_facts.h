#pragma once
// The checking environment a release record names: the operating system,
// the tool root, and each release tool's absolute path with the digest of
// its file, so a record says which tools gave its findings.

#include "engine/tool_root.h"
#include "report/evidence_records.h"

EvidenceHost hostFacts(const ToolRoot &toolRoot);
