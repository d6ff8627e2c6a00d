#include "outcome.h"

#include <cerrno>
#include <unistd.h>

namespace {
void writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += written;
        left -= written;
    }
}
} // namespace

Outcome errorOutcome(int status, const QByteArray &line)
{
    return Outcome{status, QByteArray(), line + '\n'};
}

int deliver(const Outcome &outcome)
{
    writeAll(STDOUT_FILENO, outcome.out);
    writeAll(STDERR_FILENO, outcome.err);
    return outcome.status;
}
