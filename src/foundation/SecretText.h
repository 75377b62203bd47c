// A passphrase, or the key made from it, is not left behind: memory that held it is cleared before
// it is given back, and a process that holds one cannot be dumped (a core file or another process
// of the same user would read it).
#pragma once

#include <string>

namespace qor {

// Overwrites the text's bytes, then empties it.
void ForgetSecret(std::string& text);

// Makes the process non-dumpable: no core file, and no ptrace or /proc/PID/mem by others of the
// same user. Called once a passphrase is held.
void KeepSecretsOutOfDumps();

} // namespace qor
