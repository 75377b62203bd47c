// A second local user, for tests of what another user of the machine can do to ours: made with
// useradd when the tests run as root (and kept for later runs). Elsewhere there is none, and the
// tests that need one say so. Colleagues are users who share one office group and work under
// umask 002, as offices that share call folders set them up.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qor::test {

class COtherUser {
public:
    // The user, made when missing; none when the tests do not run as root.
    static std::optional<COtherUser> Get();
    // A member of the office group of that name ("qortest-" is put in front), with a private group
    // of her own, made when missing; none when the tests do not run as root.
    static std::optional<COtherUser> Colleague(const std::string& name);
    // The office group the colleagues share.
    static gid_t OfficeGroup();

    uid_t Uid() const { return m_uid; }
    gid_t Gid() const { return m_gid; }
    const std::string& Name() const { return m_name; }
    // Runs body in a child process as this user (a colleague in her groups, under umask 002);
    // what body returned, or -1.
    int Run(const std::function<int()>& body) const;
    // The words that start a program as this user, working under umask 002 with her data folders
    // below home (made hers when missing) and the per-machine folder at machine (her own below
    // home when empty): put them in front of the program and its arguments.
    std::vector<std::string> Command(const std::string& home, const std::string& machine = "") const;
    // Gives the file, folder or link (not what a link points to) to this user.
    bool Own(const std::string& path) const;

private:
    std::string m_name;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    bool m_colleague = false;
};

// A folder that every user may write, as shared call folders are (mode 1777 inside a folder that
// all may enter).
std::string MakeSharedFolder(const std::string& parent, const std::string& name);

// A folder of the office group, set up as offices do: setgid, so what is made in it is the
// group's, and writable by the group (mode 2775, or 3775 with the sticky bit).
std::string MakeOfficeFolder(const std::string& parent, const std::string& name, mode_t mode = 02775);

} // namespace qor::test
