#pragma once
// The system's own description of an error number or a signal, in English
// whatever the locale (the application sets the user's locale, which would
// translate strerror), like every text Veristamp shows.

#include <QString>

QString systemErrorText(int error);
QString signalText(int number);
