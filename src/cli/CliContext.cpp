#include "cli/CliContext.h"

#include "foundation/SecretText.h"
#include "foundation/Settings.h"
#include "foundation/Singleton.h"
#include "foundation/TerminalText.h"
#include "lists/NamedSources.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace qor::cli {

void DropMissingSources(std::vector<std::string>& sources, CCliContext& context)
{
    std::erase_if(sources, [&context](const std::string& source) {
        const std::string reason = UnusableSourceReason(source);
        if (!reason.empty())
            context.Fail(source, reason);
        return !reason.empty();
    });
}

CCliContext::CCliContext()
{
    if (const char* variable = std::getenv("QOR_PASSPHRASE")) {
        m_fromEnvironment = variable;
        m_inEnvironment = true;
        unsetenv("QOR_PASSPHRASE");
    }
}

CCliContext::~CCliContext()
{
    ForgetSecret(m_passphrase);
    ForgetSecret(m_fromEnvironment);
}

const std::string& CCliContext::Passphrase()
{
    if (m_passphraseLoaded)
        return m_passphrase;
    if (!passphraseFile.empty()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(passphraseFile, error))
            throw UsageError(passphraseFile + ": the passphrase file is not a file");
        std::ifstream file(passphraseFile);
        if (!file)
            throw UsageError(passphraseFile + ": cannot read the passphrase file (" + std::strerror(errno) + ")");
        if (!std::getline(file, m_passphrase))
            throw UsageError(passphraseFile + ": the passphrase file is empty");
        if (!m_passphrase.empty() && m_passphrase.back() == '\r')
            m_passphrase.pop_back();
        if (m_passphrase.empty())
            throw UsageError(passphraseFile + ": the passphrase file's first line is empty");
    } else if (m_inEnvironment) {
        m_passphrase = m_fromEnvironment;
    } else {
        m_passphrase = Singleton<CSettings>::Instance()->GetPassphrase();
    }
    m_passphraseLoaded = true;
    // The search and the list loader read it from the settings, which this program never saves.
    Singleton<CSettings>::Instance()->SetPassphrase(m_passphrase);
    return m_passphrase;
}

void CCliContext::Fail(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "qortolvane-cli: %s: %s\n", TerminalText(file).c_str(), TerminalText(reason).c_str());
    m_failed = true;
}

void CCliContext::Fail(const std::string& reason)
{
    std::fprintf(stderr, "qortolvane-cli: %s\n", TerminalText(reason).c_str());
    m_failed = true;
}

void CCliContext::NothingFound(const std::string& message)
{
    Note(message);
    m_nothingFound = true;
}

void CCliContext::Note(const std::string& message) const
{
    if (!quiet)
        std::fprintf(stderr, "qortolvane-cli: %s\n", TerminalText(message).c_str());
}

} // namespace qor::cli
