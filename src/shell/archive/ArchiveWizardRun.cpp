#include "shell/archive/ArchiveWizardRun.h"

#include "archive/ArchiveLogger.h"
#include "archive/ArchiveTypes.h"
#include "foundation/UserName.h"

#include <filesystem>

namespace qor {

CArchiveWizardRun::CArchiveWizardRun(
    CWizardCalls calls, std::int32_t archiveMethod, std::shared_ptr<CArchiveLogger> log)
    : method(archiveMethod)
    , m_calls(std::move(calls))
    , m_log(std::move(log))
    , m_manager(std::make_unique<CArchiveManager>(m_log, this))
{
}

CArchiveWizardRun::~CArchiveWizardRun()
{
    m_manager->Cancel();
    m_manager->Wait();
    // Originals being changed are finished: each is either changed and logged, or kept.
    if (m_modifier.joinable())
        m_modifier.join();
}

std::vector<std::string> CArchiveWizardRun::ChosenCalls() const
{
    switch (selection) {
    case kAllCalls:
        return m_calls.all;
    case kSelectedCalls:
        return m_calls.selected;
    default:
        return {};
    }
}

std::uint64_t CArchiveWizardRun::ChosenBytes() const
{
    std::uint64_t bytes = 0;
    for (const std::string& path : ChosenCalls()) {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        if (!error)
            bytes += size;
    }
    return bytes;
}

bool CArchiveWizardRun::Start(std::int64_t now)
{
    if (m_state != State::NotStarted)
        return false;
    CJobArchListEntry job;
    job.target = target;
    job.archiveType = method;
    job.structureType = structure;
    job.mediaProcessing = modification;
    job.SetUserName(UserName());
    job.SetJobTime(now);
    for (const std::string& path : ChosenCalls()) {
        CRvFileListEntry call;
        call.SetPath(path);
        job.AddCall(call);
    }
    job.callCount = static_cast<std::int32_t>(job.Calls().size());
    m_manager->AddJob(job, nullptr);
    m_manager->SetPathPrefix(structure == kStructureByPath ? m_calls.listFolder : std::string());
    m_startTime = now;
    if (!m_manager->Start(false)) {
        Show(Kind::Error, "The archive run could not be started.");
        m_state = State::Ended;
        m_endTime = now;
        m_results = m_manager->GetResults();
        return false;
    }
    m_state = State::Running;
    return true;
}

bool CArchiveWizardRun::EndIfDone(std::int64_t now)
{
    if (m_state != State::Running || m_manager->IsRunning())
        return false;
    m_manager->Wait();
    m_state = State::Ended;
    m_endTime = now;
    m_results = m_manager->GetResults();
    if (CJobArchListEntry* job = m_manager->GetFirstJob()) {
        if (job->startTime != 0)
            m_startTime = job->startTime;
        if (job->endTime != 0)
            m_endTime = job->endTime;
        // Logged however the run ended: what the archive reads back intact is archived.
        m_outcome = LogArchiveJob(*m_manager, *m_log, *job);
    }
    return true;
}

void CArchiveWizardRun::Cancel()
{
    m_manager->Cancel();
}

bool CArchiveWizardRun::HasOriginalsToModify() const
{
    return (modification == kDeleteOriginals || modification == kRemoveAudio) && m_outcome.logged && m_outcome.completed
        && m_outcome.archived > 0 && !m_modified;
}

std::vector<std::string> CArchiveWizardRun::LoggedCalls() const
{
    std::vector<std::string> paths;
    if (!m_outcome.logged)
        return paths;
    if (const CJobArchListEntry* job = m_manager->GetFirstJob())
        for (const CRvFileListEntry& call : job->Calls())
            paths.push_back(call.GetPath());
    return paths;
}

void CArchiveWizardRun::StartModifying()
{
    CJobArchListEntry* job = m_manager->GetFirstJob();
    if (!HasOriginalsToModify() || !job)
        return;
    m_modified = true;
    m_modifier = std::thread([this, job] {
        ModifyLoggedOriginals(*m_manager, *m_log, *job, m_outcome);
        m_modifierDone = true;
    });
}

bool CArchiveWizardRun::ModifyingEnded()
{
    if (!m_modified || !m_modifierDone)
        return false;
    if (m_modifier.joinable())
        m_modifier.join();
    return true;
}

std::vector<std::string> CArchiveWizardRun::Messages() const
{
    std::lock_guard guard(m_messagesMutex);
    return m_messages;
}

void CArchiveWizardRun::Show(Kind, const std::string& text)
{
    std::lock_guard guard(m_messagesMutex);
    m_messages.push_back(text);
}

std::string CArchiveWizardRun::Comment() const
{
    const CJobArchListEntry* job = m_manager->GetFirstJob();
    return job ? job->GetComment() : std::string();
}

void CArchiveWizardRun::SetComment(const std::string& comment)
{
    CJobArchListEntry* job = m_manager->GetFirstJob();
    if (!job)
        return;
    job->SetComment(comment);
    if (!m_outcome.logged)
        return;
    for (CJobArchListEntry* entry : m_log->Entries())
        if (entry->GetJobTime() == job->GetJobTime() && entry->target == job->target) {
            m_log->SetComment(entry, comment);
            m_log->Save();
            return;
        }
}

} // namespace qor
