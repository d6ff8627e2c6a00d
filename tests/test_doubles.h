#pragma once
// Stand-ins for the world around a run, shared by the tests and the screen
// renders: release tools answered by a script (and able to hold a run at a
// chosen call), one set of tool outcomes of every colour, and a pacing clock
// that moves only when a test, or the run itself, moves it.

#include "engine/release_tools.h"
#include "live/pacing_clock.h"
#include "report/report_saving.h"

#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// Answers each tool call by a script; a call whose executable and first
// argument match `holdAt` waits until release() (or the script's end).
// Calls come from the run's thread.
class ToolScript {
public:
    using Answer = std::function<Shell::DataResult(const ToolCall &)>;

    explicit ToolScript(Answer answer = {}, QStringList holdAt = {});
    ~ToolScript();
    ToolScript(const ToolScript &) = delete;
    ToolScript &operator=(const ToolScript &) = delete;

    ReleaseTools tools() const;
    void release();
    // True once a call reached the hold.
    bool holding() const;
    // "<executable> <first argument>" of every call so far, in order.
    QStringList calls() const;

private:
    struct Gate;
    std::shared_ptr<Gate> m_gate;
    Answer m_answer;
    QStringList m_holdAt;
};

// The app signed for development only, with the Hardened Runtime flag; the
// image Developer ID signed but without a stapled ticket; everything else
// succeeds silently.
Shell::DataResult mixedToolOutcomes(const ToolCall &call);

// The save dialog answering with a fixed path (none: cancelled), recording
// the names it proposed and the failures shown.
struct FakeSaveDialogs : ReportSaveDialogs {
    std::optional<QString> answer;
    QStringList proposedNames;
    QStringList failures;

    std::optional<QString> chooseReportLocation(const QString &proposed) override
    {
        proposedNames << proposed;
        return answer;
    }
    void showSaveFailure(const QString &errorDescription) override { failures << errorDescription; }
};

// Time on the main thread that moves only by advanceTo(); an eager clock
// instead makes each wait at once, moving time on by the wait, so a paced
// run completes as fast as its inspection.
class ManualClock : public PacingClock {
public:
    explicit ManualClock(bool eager = false) : m_eager(eager) {}

    std::chrono::nanoseconds now() const override { return m_now; }
    void callAfter(std::chrono::nanoseconds delay, QObject *context, std::function<void()> due) override;
    // Makes every call due by `moment`, in time order, time standing at each.
    void advanceTo(std::chrono::nanoseconds moment);

private:
    struct Wait {
        std::chrono::nanoseconds at;
        QPointer<QObject> context;
        std::function<void()> due;
    };
    bool m_eager;
    std::chrono::nanoseconds m_now{0};
    std::vector<Wait> m_waits;
};
