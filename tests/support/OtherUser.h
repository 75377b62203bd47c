// A second local user, for tests of what another user of the machine can do to ours: made with
// useradd when the tests run as root (and kept for later runs). Elsewhere there is none, and the
// tests that need one say so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace qor::test {

class COtherUser {
public:
    // The user, made when missing; none when the tests do not run as root.
    static std::optional<COtherUser> Get();

    uid_t Uid() const { return m_uid; }
    // Runs body in a child process as this user; what body returned, or -1.
    int Run(const std::function<int()>& body) const;
    // Gives the file, folder or link (not what a link points to) to this user.
    bool Own(const std::string& path) const;

private:
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

// A folder that every user may write, as shared call folders are (mode 1777 inside a folder that
// all may enter).
std::string MakeSharedFolder(const std::string& parent, const std::string& name);

} // namespace qor::test
