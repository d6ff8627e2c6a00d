#pragma once
// An attach told to stop (SIGINT, SIGTERM or SIGHUP) before it has answered
// leaves no volume behind, as the platform's tool leaves no half-mounted
// image: the folder it unpacked is removed, and the stand-in then ends by
// that very signal. The handler only notes the signal; the attach acts on it
// at its next checkpoint (each member it unpacks), or at once while it holds.

#include <QString>

// Catches the three signals from here on.
void guardAttach();

// The volume to remove should a signal arrive before the answer is out.
void holdVolume(const QString &mountPoint);

// Removes the held volume and ends by the signal, when one arrived.
void stopIfInterrupted();

// Whether a signal arrived: a caller running a helper program ends that
// first, so that nothing writes into the volume once it is removed.
bool interruptionPending();

// Never returns: a record that says so makes a call hang like a tool stuck
// on a prompt or the network, until a signal ends it: as above under the
// guard, by the signal's default action without it.
[[noreturn]] void holdUntilStopped();

// Has the stand-in sent SIGTERM when the program that started it ends, so
// that no stand-in goes on unpacking for nobody (Linux; elsewhere nothing).
void endWithParent();
