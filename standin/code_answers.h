#pragma once
// The answers codesign, spctl and stapler would give for a package the
// stand-ins hold no records for, made from what the package's own bytes say.
// Only what the bytes decide is claimed: Gatekeeper's assessment and a
// ticket's authenticity are answered with kUndecidedStatus, the status the
// stand-in tool root declares for a question only a Mac can decide.

#include "outcome.h"
#include "tool_calls.h"

#include "codesig/code_reading.h"
#include "contract/release_tool_contract.h"

Outcome verificationAnswer(const QString &path, const codesig::CodeReading &code);  // C1
Outcome displayAnswer(const QString &path, const codesig::CodeReading &code);       // C2
Outcome entitlementsAnswer(const QString &path, const codesig::CodeReading &code);  // C3
Outcome assessmentAnswer(const QString &path, const codesig::CodeReading &code);    // S1, S2
Outcome ticketAnswer(const QString &path, const codesig::StapledTicket &ticket); // X1
