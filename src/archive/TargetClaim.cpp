#include "archive/TargetClaim.h"

#include "foundation/DataFolders.h"
#include "foundation/FileIdentity.h"
#include "foundation/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {
namespace {

constexpr int kAttempts = 20;

// One short file name for the archive's folder (by its identity, whatever path reached it) and name.
std::string ClaimName(const CFolderHandle& folder, const std::string& name)
{
    struct stat status { };
    if (fstat(folder.Descriptor(), &status) != 0)
        return {};
    const std::string key = std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino) + "/" + name;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    if (EVP_Digest(key.data(), key.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return {};
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned index = 0; index < std::min(length, 16u); ++index) {
        text += digits[digest[index] >> 4];
        text += digits[digest[index] & 0x0F];
    }
    return text + ".lock";
}

} // namespace

CTargetClaim::~CTargetClaim()
{
    Release();
}

int CTargetClaim::Take(const CFolderHandle& folder, const std::string& name, std::chrono::milliseconds patience)
{
    Release();
    const std::string claims = GetPrivateStateFolder("claims", true);
    const std::string file = ClaimName(folder, name);
    if (claims.empty() || file.empty())
        return EACCES;
    m_path = claims + file;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int descriptor = open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (descriptor < 0)
            return errno;
        if (!(patience.count() > 0 ? LockForWriting(descriptor, patience) : TryLockForWriting(descriptor))) {
            close(descriptor);
            return EBUSY;
        }
        // The holder before us removes the file as it lets go: only a lock on the file still under
        // the name is a claim.
        if (CFileIdentity named; IdentityOfPath(m_path, named) && named == IdentityOf(descriptor)) {
            m_descriptor = descriptor;
            return 0;
        }
        close(descriptor);
    }
    return EBUSY;
}

void CTargetClaim::Release()
{
    if (m_descriptor < 0)
        return;
    // Removed while still held, so nobody takes the lock of a file that is no longer there.
    unlink(m_path.c_str());
    close(m_descriptor);
    m_descriptor = -1;
}

} // namespace qor
