#pragma once
// Hands work from a background thread to the application's main thread, the
// only thread that touches window state. A synchronous hand-over waits until
// the main thread has run the work; it never waits past the application's
// end: when the application shuts down, or the queued work is destroyed
// without having run, the waiting thread wakes with false. So a worker that
// outlives its event loop cannot hold up the application's exit, which waits
// for every worker of the global thread pool.

#include <functional>

// Call on the main thread before a background thread hands over work.
void prepareMainThreadHandOver();

// Runs work on the main thread and waits for it. Returns the work's answer,
// or false when the work never ran because the application is shutting down.
// Must not be called on the main thread itself.
bool runOnMainThreadAndWait(std::function<bool()> work);

// Starts work on a worker of the global thread pool at once, never queued
// behind other work.
void startOnWorker(std::function<void()> work);

// Queues work for the main thread without waiting. Dropped once the
// application is shutting down.
void postToMainThread(std::function<void()> work);
