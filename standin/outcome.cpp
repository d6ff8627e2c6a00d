#include "outcome.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// The exit status of a call whose answer could not be written whole (EX_IOERR).
constexpr int writeFailedStatus = 74;

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

Outcome errorOutcome(int status, const QByteArray &line)
{
    return Outcome{status, QByteArray(), line + '\n'};
}

// An answer cut short (a full disk, a file size limit) is no answer: the call
// fails, so that a missing line never reads as a clean result.
int deliver(const Outcome &outcome)
{
    if (!writeAll(STDOUT_FILENO, outcome.out)) {
        const int error = errno;
        writeAll(STDERR_FILENO, QByteArray("write error: ") + std::strerror(error) + '\n');
        return writeFailedStatus;
    }
    return writeAll(STDERR_FILENO, outcome.err) ? outcome.status : writeFailedStatus;
}
