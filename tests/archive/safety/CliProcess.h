// Runs qortolvane-cli as a script or a timer would: to its end with what it printed, or in the
// background so that a test can kill it at any moment or run several at once. The program inherits
// the test's environment, so it works in the test's data folders.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace qor::test {

struct CCliResult {
    int exitCode = -1; // -1 when a signal ended it
    std::string output;
    std::string errors;
};

class CCliProcess {
public:
    // wrapper runs the program (such as prlimit with its options), when given.
    explicit CCliProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& wrapper = {});
    // A process still running is killed.
    ~CCliProcess();
    CCliProcess(const CCliProcess&) = delete;
    CCliProcess& operator=(const CCliProcess&) = delete;

    void Kill();
    // Waits for the end; what it printed.
    CCliResult Wait();
    bool Running();

private:
    pid_t m_pid = -1;
    std::string m_outputFile;
    std::string m_errorsFile;
    CCliResult m_result;
    bool m_waited = false;
};

CCliResult RunCli(const std::vector<std::string>& arguments);

} // namespace qor::test
