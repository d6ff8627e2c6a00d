#include "codesig/code_reading.h"

namespace codesig {

StapledTicket readStapledTicket(const QString &, const CodeReading &)
{
    return StapledTicket{};
}

} // namespace codesig
