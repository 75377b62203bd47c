#include "foundation/SecretText.h"

#include <openssl/crypto.h>
#include <sys/prctl.h>

namespace qor {

void ForgetSecret(std::string& text)
{
    // OPENSSL_cleanse is written so the compiler cannot leave the clearing out.
    OPENSSL_cleanse(text.data(), text.size());
    text.clear();
}

void KeepSecretsOutOfDumps()
{
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace qor
