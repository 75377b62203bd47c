// What the archive wizard chooses and runs: the calls (all of the list, or its selection), the
// target, structure and what becomes of the originals; the run on an archive manager of its own
// (so a scheduled run never shares its queue), the job logged as soon as the run has ended, and
// the originals changed only later, when the user confirms it.
#pragma once

#include "archive/ArchiveJobFinisher.h"
#include "archive/ArchiveManager.h"
#include "archive/ArchiveMessages.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qor {

class CArchiveLogger;

// The calls a list offers the wizard.
struct CWizardCalls {
    std::vector<std::string> all; // in list order
    std::vector<std::string> selected; // in selection order
    std::string listFolder; // what "By Directory of Origin" folders lose in front
};

class CArchiveWizardRun : public IArchiveMessages {
public:
    enum class State { NotStarted, Running, Ended };
    enum Selection { kNoSelection = -1, kAllCalls = 0, kSelectedCalls = 1 };

    CArchiveWizardRun(CWizardCalls calls, std::int32_t method, std::shared_ptr<CArchiveLogger> log);
    // Cancels a run still going and waits for it.
    ~CArchiveWizardRun() override;

    int selection = kSelectedCalls;
    const std::int32_t method;
    std::string target;
    std::int32_t structure = -1;
    std::int32_t modification = -1;

    std::vector<std::string> ChosenCalls() const;
    std::uint64_t ChosenBytes() const;

    // Queues the job and starts it; false (having said why in Messages) when it cannot start.
    bool Start(std::int64_t now);
    State GetState() const { return m_state; }
    double Progress() const { return m_manager->GetResults().progress; }
    // Once the manager's thread has ended: logs the job; returns true the first time.
    bool EndIfDone(std::int64_t now);
    void Cancel();

    // Whether there are originals the user may now have changed: the job asks for it and logged calls.
    bool HasOriginalsToModify() const;
    // Starts deleting or stripping the logged calls' originals (once), on a thread of its own: each
    // is read again to compare it with its copy, which takes a while for many calls.
    void StartModifying();
    // True once the originals were modified; then Outcome().originals says which.
    bool ModifyingEnded();
    bool OriginalsModified() const { return m_modified; }

    const CArchiveJobOutcome& Outcome() const { return m_outcome; }
    const CArchiveManager::Results& Results() const { return m_results; }
    // The calls the log names for this job (those read back intact).
    std::vector<std::string> LoggedCalls() const;
    std::int64_t StartTime() const { return m_startTime; }
    std::int64_t EndTime() const { return m_endTime; }
    // Everything the engine and the run said, in order.
    std::vector<std::string> Messages() const;
    std::string Comment() const;
    // The job's comment, in its log entry too.
    void SetComment(const std::string& comment);

    void Show(Kind kind, const std::string& text) override;

private:
    CWizardCalls m_calls;
    std::shared_ptr<CArchiveLogger> m_log;
    std::unique_ptr<CArchiveManager> m_manager;
    State m_state = State::NotStarted;
    bool m_modified = false; // started
    std::thread m_modifier;
    std::atomic<bool> m_modifierDone{ false };
    std::int64_t m_startTime = 0;
    std::int64_t m_endTime = 0;
    CArchiveJobOutcome m_outcome;
    CArchiveManager::Results m_results;
    mutable std::mutex m_messagesMutex; // the engine speaks from its worker
    std::vector<std::string> m_messages;
};

} // namespace qor
