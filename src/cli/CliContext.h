// What every subcommand shares: where the passphrase comes from, how a failure is told (always
// naming the file and the reason), and the exit status that results.
#pragma once

#include <stdexcept>
#include <string>

namespace qor::cli {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitSomeFailed = 1, // some files could not be handled; the others were
    kExitUsage = 2, // the command line was wrong; nothing was done
};

// A command line that cannot be carried out as written; main prints it and ends with kExitUsage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

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

    // Prints "qortolvane-cli: FILE: REASON" on standard error and makes the exit status 1.
    void Fail(const std::string& file, const std::string& reason);
    // The same for a failure that concerns no single file.
    void Fail(const std::string& reason);
    int Status() const { return m_failed ? kExitSomeFailed : kExitSuccess; }

private:
    bool m_passphraseLoaded = false;
    std::string m_passphrase;
    std::string m_fromEnvironment;
    bool m_inEnvironment = false;
    bool m_failed = false;
};

} // namespace qor::cli
