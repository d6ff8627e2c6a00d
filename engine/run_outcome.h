#pragma once
// How a run of an external program ended. Each way has its own kind, so a
// program that exits with 137 is never taken for one killed by signal 9, and
// one that could not be started is never taken for one that was stopped.

#include <QString>

namespace Program {

class Outcome {
public:
    // endUnknown: the program was started but its end could not be collected.
    enum class Kind { exited, endedBySignal, notStarted, stopped, endUnknown };

    // A bare status is a program that exited with it: scripted tools and test
    // doubles answer that way, and so does every real run that exits.
    constexpr Outcome(int exitStatus = 0) : m_kind(Kind::exited), m_number(exitStatus) {}

    static constexpr Outcome exited(int status) { return Outcome(status); }
    static constexpr Outcome endedBySignal(int signal) { return Outcome(Kind::endedBySignal, signal); }
    static constexpr Outcome notStarted() { return Outcome(Kind::notStarted, 0); }
    static constexpr Outcome stopped() { return Outcome(Kind::stopped, 0); }
    static constexpr Outcome endUnknown() { return Outcome(Kind::endUnknown, 0); }

    constexpr Kind kind() const { return m_kind; }
    // The exit status, or the signal's number; 0 for the other kinds.
    constexpr int number() const { return m_number; }
    constexpr bool succeeded() const { return exitedWith(0); }
    constexpr bool exitedWith(int status) const { return m_kind == Kind::exited && m_number == status; }

    // The one-number reading a shell gives: the exit status, 128 + the
    // signal, and -1 when the program did not end by itself at all.
    constexpr int shellStatus() const
    {
        switch (m_kind) {
        case Kind::exited: return m_number;
        case Kind::endedBySignal: return 128 + m_number;
        case Kind::notStarted:
        case Kind::stopped:
        case Kind::endUnknown: break;
        }
        return -1;
    }

    friend constexpr bool operator==(const Outcome &, const Outcome &) = default;

private:
    constexpr Outcome(Kind kind, int number) : m_kind(kind), m_number(number) {}

    Kind m_kind;
    int m_number;
};

// "exited with 3", "ended by signal 9", "not started", "stopped", "end
// unknown": for test
// failures and logs, never for the user.
QString describe(const Outcome &outcome);

} // namespace Program
