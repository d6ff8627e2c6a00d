#pragma once
// What one stand-in call answers: an exit status and the bytes of its two streams.

#include <QByteArray>

struct Outcome {
    int status = 0;
    QByteArray out;
    QByteArray err;
};

// A failure with one line on standard error (the line feed is added here).
Outcome errorOutcome(int status, const QByteArray &line);

// Writes both streams whole, standard output first, and returns the status,
// or 74 (EX_IOERR) when either could not be written whole.
int deliver(const Outcome &outcome);
