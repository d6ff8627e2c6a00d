#pragma once
// What the engine and the stand-in release tools agree on, owned here so the
// two sides cannot drift apart: the status a stand-in answers a question only
// a Mac can decide with, and the switch that lets it replay answers recorded
// inside a package.

// EX_UNAVAILABLE: none of the platform's release tools uses it for a verdict.
inline constexpr int kUndecidedStatus = 69;

// Recorded answers are a test and demonstration device. The stand-ins honour
// them only when this environment variable is exactly "1": nothing inside a
// package can set it, so a package never decides how it is judged.
inline constexpr char kReplayRecordsVariable[] = "VERISTAMP_REPLAY_RECORDS";

bool recordedAnswersRequested();
