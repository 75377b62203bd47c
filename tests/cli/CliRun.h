// Runs the command-line program as a script would and keeps what it said, with a fixture that gives
// each test its own data folders and a folder of recordings.
#pragma once

#include "support/RecordingFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qor::test {

struct CRun {
    int exitCode = -1;
    std::string output; // standard output
    std::string errors; // standard error
};

// Runs the command-line program with the arguments (quoted for the shell), in the given working
// folder and with the given variables ("NAME=value ...") in its environment. redirect, when given,
// replaces the capture of standard output (such as ">/dev/full").
CRun RunCli(const std::vector<std::string>& arguments, const std::string& folder = ".", const std::string& env = "",
    const std::string& redirect = "");

// What a shell command (one of the tools that check our archives) prints.
std::string Shell(const std::string& command);

bool Has(const std::string& text, const std::string& part);

class CCliTest : public ::testing::Test {
protected:
    std::string Call(const std::string& relative, const std::string& user, std::int32_t start,
        const std::string& caller = ">0123", int seconds = 10);

    CDataFolderSandbox sandbox;
    CRecordingFolder folder;
};

} // namespace qor::test
