// A demo library of generated calls for trying the program out and for tests and benchmarks that
// need a realistic folder: several users, a year of dates, both directions, every codec, and a
// tenth encrypted with the passphrase "demo".
#pragma once

#include <functional>
#include <string>

namespace qor::samplegen {

constexpr const char* kDemoPassphrase = "demo";

// Writes callCount calls into folder/<User>/<User>-YYYYMMDD-HHMMSS.qor; returns the number written.
// progress, when given, hears how many calls are done after each one.
int WriteDemoLibrary(
    const std::string& folder, int callCount = 240, const std::function<void(int done)>& progress = {});

} // namespace qor::samplegen
