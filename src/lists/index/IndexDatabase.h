// The call index's SQLite file, calls.db in the user's private cache folder. It is a cache: what it
// holds can always be read again from the calls, so a file that is damaged, of another schema or
// not ours is set aside (as calls.db.damaged, one kept) and made anew, and the user told once.
#pragma once

#include <string>

struct sqlite3;

namespace qor {

class CIndexDatabase {
public:
    // The schema this program writes; a file of another version is made anew.
    static constexpr int kSchemaVersion = 2;
    // "QTCI" in the file's header, so that no other program's database is taken for ours.
    static constexpr int kApplicationId = 0x51544349;

    enum class Opened {
        Existing, // as it was left
        Made, // there was none
        MadeAnew, // the one there was set aside (notice says why)
        Unavailable, // no private folder or no file could be had (notice says why)
    };

    CIndexDatabase() = default;
    ~CIndexDatabase();
    CIndexDatabase(const CIndexDatabase&) = delete;
    CIndexDatabase& operator=(const CIndexDatabase&) = delete;

    // Opens folder/calls.db, making the folder (0700) and the file (0600) when missing. Every folder
    // on the way must be ours or root's and closed to others, so no other user can lead the path
    // elsewhere; the folder itself must be ours.
    Opened Open(const std::string& folder, std::string& notice);
    void Close();

    sqlite3* Handle() const { return m_database; }
    const std::string& Path() const { return m_path; }

    // $XDG_CACHE_HOME/qortolvane (by default ~/.cache/qortolvane); empty without a home.
    static std::string DefaultFolder();

private:
    // Why the open file cannot serve as the index; empty when it can (its schema made if new).
    std::string Unusable(bool made);
    bool OpenFile(std::string& why);

    sqlite3* m_database = nullptr;
    std::string m_folder;
    std::string m_path;
};

} // namespace qor
