// What every subcommand shares: where the passphrase comes from, how a failure is told (always
// naming the file and the reason), and the exit status that results.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace qor::cli {

// The contract scripts rely on, as grep and ripgrep keep it (documented in the README and man page).
enum ExitCode : int {
    kExitSuccess = 0,
    kExitNothingFound = 1, // nothing matched, or there was nothing to do
    kExitSomeFailed = 2, // some items failed, each named on standard error; the others were handled
    kExitUsage = 64, // the command line was wrong; nothing was done (EX_USAGE)
    kExitConfiguration = 78, // the branding bundle named by branding.xml cannot be used; nothing was done (EX_CONFIG)
};

// A command line that cannot be carried out as written; main prints it and ends with kExitUsage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class CCliContext;

// Takes out the sources that are not there (a share not mounted) or hold no calls (a pipe, a
// device), each one failed item named on standard error with why; the others are still handled.
void DropMissingSources(std::vector<std::string>& sources, CCliContext& context);

class CCliContext {
public:
    // Takes QOR_PASSPHRASE out of the environment, so that no program this one starts (the mail
    // program) inherits it.
    CCliContext();
    ~CCliContext();
    CCliContext(const CCliContext&) = delete;
    CCliContext& operator=(const CCliContext&) = delete;

    // Set by the option of the same name before any subcommand runs.
    std::string passphraseFile;

    // The passphrase for encrypted calls: the first line of --passphrase-file, else the variable
    // QOR_PASSPHRASE, else the one saved in the settings. Never from the command line, which every
    // user on the machine can read in the process list.
    const std::string& Passphrase();

    // Prints "qortolvane-cli: FILE: REASON" on standard error and makes the exit status 2.
    void Fail(const std::string& file, const std::string& reason);
    // The same for a failure that concerns no single file.
    void Fail(const std::string& reason);
    // Nothing matched or nothing was to be done: the status is 1 unless something failed. The
    // message goes to standard error unless --quiet.
    void NothingFound(const std::string& message);
    // A note for the user on standard error, left out with --quiet.
    void Note(const std::string& message) const;
    int Status() const { return m_failed ? kExitSomeFailed : m_nothingFound ? kExitNothingFound : kExitSuccess; }

    // Set by --quiet and --verbose before any subcommand runs.
    bool quiet = false;
    bool verbose = false;

private:
    bool m_passphraseLoaded = false;
    std::string m_passphrase;
    std::string m_fromEnvironment;
    bool m_inEnvironment = false;
    bool m_failed = false;
    bool m_nothingFound = false;
};

} // namespace qor::cli
