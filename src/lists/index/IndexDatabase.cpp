#include "lists/index/IndexDatabase.h"

#include "foundation/TrustedFolder.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qor {
namespace {

constexpr const char* kFileName = "calls.db";
constexpr const char* kSetAsideName = "calls.db.damaged";
// Another program of ours updating the index holds it this long at most before we give up on it.
constexpr int kBusyMilliseconds = 2000;

// One row per call: what the file was when it was read (to tell when it changed since), and every
// detail a list shows of it, as the list shows it.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS calls(
    path BLOB PRIMARY KEY,
    folder BLOB NOT NULL,
    device INTEGER NOT NULL,
    inode INTEGER NOT NULL,
    size INTEGER NOT NULL,
    modified_ns INTEGER NOT NULL,
    changed_ns INTEGER NOT NULL,
    important INTEGER NOT NULL,
    display_time INTEGER NOT NULL,
    duration_seconds INTEGER NOT NULL,
    extra_seconds INTEGER NOT NULL,
    extra_code INTEGER NOT NULL,
    read_failed INTEGER NOT NULL,
    has_bookmark INTEGER NOT NULL,
    encrypted INTEGER NOT NULL,
    date_source INTEGER NOT NULL,
    caller_id BLOB NOT NULL,
    user_id BLOB NOT NULL,
    duration_text BLOB NOT NULL,
    date_text BLOB NOT NULL,
    comment BLOB NOT NULL,
    extra_seconds_text BLOB NOT NULL
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS calls_in_folder ON calls(folder);
-- The words of each call that is not encrypted (its file name, caller ID, user ID and comment),
-- for a search by words over every kept call; word_rows ties each to its call.
CREATE VIRTUAL TABLE IF NOT EXISTS words USING fts5(name, caller_id, user_id, comment,
    tokenize = 'unicode61 remove_diacritics 2');
CREATE TABLE IF NOT EXISTS word_rows(path BLOB PRIMARY KEY, word_row INTEGER NOT NULL) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS word_rows_by_row ON word_rows(word_row);
)";

bool IsBusy(int result)
{
    const int primary = result & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Runs statements that return nothing; the error text, or empty.
std::string Execute(sqlite3* database, const std::string& statements, int* result = nullptr)
{
    char* error = nullptr;
    const int outcome = sqlite3_exec(database, statements.c_str(), nullptr, nullptr, &error);
    if (result)
        *result = outcome;
    std::string text = outcome == SQLITE_OK ? std::string() : error ? error : sqlite3_errstr(outcome);
    sqlite3_free(error);
    return text;
}

// The first column of the first row of a query, as text; false with the result code on failure.
bool QueryText(sqlite3* database, const char* query, std::string& value, int& result)
{
    sqlite3_stmt* statement = nullptr;
    result = sqlite3_prepare_v2(database, query, -1, &statement, nullptr);
    if (result == SQLITE_OK) {
        result = sqlite3_step(statement);
        if (result == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            value = text ? reinterpret_cast<const char*>(text) : "";
            result = SQLITE_OK;
        }
    }
    sqlite3_finalize(statement);
    return result == SQLITE_OK;
}

} // namespace

CIndexDatabase::~CIndexDatabase()
{
    Close();
}

void CIndexDatabase::Close()
{
    sqlite3_close_v2(m_database);
    m_database = nullptr;
}

std::string CIndexDatabase::DefaultFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return std::string(cache) + "/qortolvane";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::string(home) + "/.cache/qortolvane";
    return {};
}

CIndexDatabase::Opened CIndexDatabase::Open(const std::string& folder, std::string& notice)
{
    Close();
    notice.clear();
    CFolderHandle handle;
    const CFolderWay way{ .makeMissing = true, .folderMode = 0700, .ownFoldersOnly = true };
    if (folder.empty() || !OpenTrustedFolder(folder, handle, way)) {
        const int error = errno;
        notice = "The call index cannot be kept in " + (folder.empty() ? std::string("a cache folder") : folder) + ": "
            + (folder.empty()         ? std::string("there is no home folder")
                    : error == EACCES ? std::string("other users could change it or a folder on the way, or it "
                                                    "cannot be entered")
                                      : std::string(std::strerror(error)));
        return Opened::Unavailable;
    }
    // Only we may read it: it holds the comments and caller IDs of calls others may not read.
    struct stat status { };
    const std::string self = "/proc/self/fd/" + std::to_string(handle.Descriptor());
    if (fstat(handle.Descriptor(), &status) != 0 || status.st_uid != geteuid()
        || ((status.st_mode & 077) != 0 && chmod(self.c_str(), 0700) != 0)) {
        notice = "The call index cannot be kept in " + handle.Path() + ": the folder is not yours alone";
        return Opened::Unavailable;
    }
    m_folder = handle.Path();
    m_path = handle.PathOf(kFileName);

    std::string why;
    const int made = openat(handle.Descriptor(), kFileName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool isNew = made >= 0;
    if (isNew)
        close(made);
    else if (struct stat file{}; fstatat(handle.Descriptor(), kFileName, &file, AT_SYMLINK_NOFOLLOW) != 0)
        why = std::strerror(errno);
    else if (!S_ISREG(file.st_mode) || file.st_uid != geteuid() || file.st_nlink != 1)
        why = "it is not a file of yours alone";
    // SQLite answers "busy" at once where waiting could deadlock (another program switching the
    // fresh file to WAL); the whole opening is tried again until the wait is over.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyMilliseconds);
    while (why.empty() && OpenFile(why) && (why = Unusable(isNew)).starts_with("busy")
        && std::chrono::steady_clock::now() < giveUp) {
        Close();
        why.clear();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (why.empty())
        return isNew ? Opened::Made : Opened::Existing;
    Close();
    if (isNew || why.starts_with("busy")) {
        notice = "The call index " + m_path + " cannot be used: " + why;
        return Opened::Unavailable;
    }
    // Set aside, keeping the last one for whoever wants to know what was wrong with it.
    if (renameat(handle.Descriptor(), kFileName, handle.Descriptor(), kSetAsideName) != 0) {
        notice = "The call index " + m_path + " cannot be used (" + why + ") nor set aside: " + std::strerror(errno);
        return Opened::Unavailable;
    }
    for (const char* companion : { "calls.db-wal", "calls.db-shm" })
        unlinkat(handle.Descriptor(), companion, 0);
    notice = "The call index " + m_path + " could not be used (" + why + "); it was set aside as "
        + handle.PathOf(kSetAsideName) + " and is made anew.";
    const int again = openat(handle.Descriptor(), kFileName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (again < 0) {
        notice += std::string(" It cannot be made: ") + std::strerror(errno);
        return Opened::Unavailable;
    }
    close(again);
    if (!OpenFile(why) || !(why = Unusable(true)).empty()) {
        Close();
        notice += " It cannot be made: " + why;
        return Opened::Unavailable;
    }
    return Opened::MadeAnew;
}

bool CIndexDatabase::OpenFile(std::string& why)
{
    // By its path: every folder on the way is ours or root's and closed to others (checked when the
    // folder was opened), so nobody can lead the path elsewhere; the file itself is no link.
    const int result = sqlite3_open_v2(m_path.c_str(), &m_database,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_EXRESCODE, nullptr);
    if (result != SQLITE_OK) {
        why = m_database ? sqlite3_errmsg(m_database) : sqlite3_errstr(result);
        return false;
    }
    sqlite3_busy_timeout(m_database, kBusyMilliseconds);
    // Read from the mapped file instead of a call per page: a list reads every row of its folders.
    sqlite3_exec(m_database, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    // Temporary tables hold words of calls too: in memory, never in a shared temporary folder.
    sqlite3_exec(m_database, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    return true;
}

std::string CIndexDatabase::Unusable(bool made)
{
    int result = SQLITE_OK;
    std::string value;
    if (!made) {
        // Both in one read, so that another's making is seen whole or not at all.
        if (!QueryText(m_database,
                "SELECT (SELECT application_id FROM pragma_application_id()) || ' '"
                " || (SELECT count(*) FROM sqlite_master)",
                value, result))
            return IsBusy(result) ? "busy: another program holds it" : std::string(sqlite3_errstr(result));
        // Empty: another of our programs has just made it and is making its schema, or died doing
        // so. Making it again is the same work, done after it in one transaction.
        made = value == "0 0";
        value = value.substr(0, value.find(' '));
    }
    if (made) {
        std::string error = Execute(m_database, "PRAGMA journal_mode=WAL", &result);
        if (error.empty())
            error = Execute(m_database,
                "BEGIN IMMEDIATE; PRAGMA application_id=" + std::to_string(kApplicationId)
                    + "; PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";" + kSchema + "COMMIT;",
                &result);
        if (!error.empty())
            Execute(m_database, "ROLLBACK");
        return error.empty() ? error : (IsBusy(result) ? "busy: " : "") + error;
    }
    if (value != std::to_string(kApplicationId))
        return "it is no call index of this program";
    if (!QueryText(m_database, "PRAGMA user_version", value, result))
        return IsBusy(result) ? "busy: another program holds it" : std::string(sqlite3_errstr(result));
    if (value != std::to_string(kSchemaVersion))
        return "it was made by another version (" + value + ")";
    if (!QueryText(m_database, "PRAGMA quick_check", value, result))
        return IsBusy(result) ? "busy: another program holds it" : std::string(sqlite3_errstr(result));
    if (value != "ok") { // the first fault found, after the line naming the database
        const std::size_t first = value.starts_with("***") ? value.find('\n') + 1 : 0;
        return "it is damaged: " + value.substr(first, value.find('\n', first) - first);
    }
    const std::string error = Execute(m_database, "PRAGMA journal_mode=WAL", &result);
    return error.empty() ? error : (IsBusy(result) ? "busy: " : "") + error;
}

} // namespace qor
