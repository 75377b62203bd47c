#include "lists/index/CallIndex.h"

#include "lists/index/IndexDatabase.h"

#include <algorithm>
#include <sqlite3.h>
#include <sys/statvfs.h>

namespace qor {
namespace {

constexpr const char* kKeep = "INSERT OR REPLACE INTO calls VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, "
                              "?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22)";
constexpr const char* kColumns
    = "path, device, inode, size, modified_ns, changed_ns, encrypted, important, display_time, "
      "duration_seconds, extra_seconds, extra_code, read_failed, has_bookmark, date_source, "
      "caller_id, user_id, duration_text, date_text, comment, extra_seconds_text";
const std::string kRecall = std::string("SELECT ") + kColumns + " FROM calls WHERE path = ?1";
const std::string kInFolder = std::string("SELECT ") + kColumns + " FROM calls WHERE folder = ?1";
// The paths in a folder or below it lie between "F/" and "F0" ('0' follows '/'): one stretch of
// the table, which is kept in the order of its paths.
const std::string kUnder = std::string("SELECT ") + kColumns + " FROM calls WHERE path >= ?1 AND path < ?2";
constexpr const char* kForget = "DELETE FROM calls WHERE path = ?1";
constexpr const char* kForgetWords = "DELETE FROM words WHERE rowid = (SELECT word_row FROM word_rows WHERE path = ?1)";
constexpr const char* kForgetWordRow = "DELETE FROM word_rows WHERE path = ?1";
constexpr const char* kKeepWords = "INSERT INTO words(name, caller_id, user_id, comment) VALUES(?1, ?2, ?3, ?4)";
constexpr const char* kKeepWordRow = "INSERT OR REPLACE INTO word_rows VALUES(?1, last_insert_rowid())";
constexpr const char* kFind = "SELECT word_rows.path FROM words JOIN word_rows ON word_rows.word_row = words.rowid "
                              "WHERE words MATCH ?1";

// The folder a path is in, "/" for one at the root.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : slash == 0 ? std::string("/") : path.substr(0, slash);
}

void BindText(sqlite3_stmt* statement, int column, std::string_view text)
{
    sqlite3_bind_text64(statement, column, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// Every word of the text must begin a word of the call, in any case and with or without accents:
// each is quoted, so that no word is taken for the search language's own.
std::string MatchExpression(const std::string& text)
{
    std::string expression;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(" \t\r\n", at)) != std::string::npos) {
        const std::size_t end = std::min(text.find_first_of(" \t\r\n", at), text.size());
        std::string word = "\"";
        for (const char c : std::string_view(text).substr(at, end - at))
            word += c == '"' ? std::string("\"\"") : std::string(1, c);
        expression += (expression.empty() ? "" : " ") + word + "\"*";
        at = end;
    }
    return expression;
}

// Paths and texts are bytes: a name or a comment that is not UTF-8 comes back as it went in.
void BindBytes(sqlite3_stmt* statement, int column, const std::string& bytes)
{
    sqlite3_bind_blob64(statement, column, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

std::string ColumnBytes(sqlite3_stmt* statement, int column)
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                 : std::string();
}

CKeptCall ReadRow(sqlite3_stmt* row)
{
    CKeptCall kept;
    kept.path = ColumnBytes(row, 0);
    kept.stamp = { static_cast<std::uint64_t>(sqlite3_column_int64(row, 1)),
        static_cast<std::uint64_t>(sqlite3_column_int64(row, 2)),
        static_cast<std::uint64_t>(sqlite3_column_int64(row, 3)), sqlite3_column_int64(row, 4),
        sqlite3_column_int64(row, 5) };
    kept.encrypted = sqlite3_column_int(row, 6) != 0;
    CEntryDetails& details = kept.details;
    details.encrypted = kept.encrypted;
    details.important = sqlite3_column_int(row, 7);
    details.displayTime = sqlite3_column_int(row, 8);
    details.durationSeconds = sqlite3_column_int(row, 9);
    details.extraSeconds = sqlite3_column_int(row, 10);
    details.extraCode = sqlite3_column_int(row, 11);
    details.readFailed = sqlite3_column_int(row, 12) != 0;
    details.hasBookmark = sqlite3_column_int(row, 13) != 0;
    details.dateSource = static_cast<std::uint8_t>(sqlite3_column_int(row, 14));
    details.callerId = ColumnBytes(row, 15);
    details.userId = ColumnBytes(row, 16);
    details.durationText = ColumnBytes(row, 17);
    details.dateText = ColumnBytes(row, 18);
    details.comment = ColumnBytes(row, 19);
    details.extraSecondsText = ColumnBytes(row, 20);
    return kept;
}

} // namespace

CSqliteCallIndex::CSqliteCallIndex(CIndexDatabase& database)
    : m_database(database.Handle())
{
}

CSqliteCallIndex::~CSqliteCallIndex()
{
    for (sqlite3_stmt* statement : { m_keep, m_recall, m_inFolder, m_under, m_forget, m_forgetWords, m_forgetWordRow,
             m_keepWords, m_keepWordRow, m_find })
        sqlite3_finalize(statement);
}

sqlite3_stmt* CSqliteCallIndex::Prepared(sqlite3_stmt*& statement, const char* text)
{
    if (!statement
        && sqlite3_prepare_v3(m_database, text, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return statement;
}

bool CSqliteCallIndex::InTransaction(const std::function<bool()>& work)
{
    if (sqlite3_exec(m_database, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    if (work() && sqlite3_exec(m_database, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    sqlite3_exec(m_database, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool CSqliteCallIndex::RoomFor(std::size_t calls) const
{
    // A cache must not take a disk's last room from its other users: what a batch takes (a row
    // in the file and in the log, about 2 KiB a call at most) must leave a twentieth of the disk,
    // or 8 MiB, free. A batch that fails half-way would keep its room in the log.
    const char* file = sqlite3_db_filename(m_database, "main");
    struct statvfs disk { };
    if (!file || !*file || statvfs(file, &disk) != 0)
        return true;
    const std::uint64_t free = static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
    const std::uint64_t total = static_cast<std::uint64_t>(disk.f_blocks) * disk.f_frsize;
    const std::uint64_t leave = std::min<std::uint64_t>(8u << 20, total / 20);
    return free >= leave + calls * 2048;
}

bool CSqliteCallIndex::Keep(const std::vector<const CRvFileListEntry*>& entries, const std::vector<CIndexStamp>& stamps)
{
    if (entries.size() != stamps.size() || !RoomFor(entries.size()))
        return false;
    return InTransaction([&] {
        for (std::size_t at = 0; at < entries.size(); ++at) {
            sqlite3_stmt* keep = Prepared(m_keep, kKeep);
            if (!keep)
                return false;
            const CRvFileListEntry& entry = *entries[at];
            const CIndexStamp& stamp = stamps[at];
            // Of an encrypted call only that it is one: its details were the passphrase's to show.
            CEntryDetails details;
            if (entry.IsEncrypted())
                details.encrypted = true;
            else
                details = entry.Details();
            BindBytes(keep, 1, entry.GetPath());
            BindBytes(keep, 2, FolderOf(entry.GetPath()));
            sqlite3_bind_int64(keep, 3, static_cast<sqlite3_int64>(stamp.device));
            sqlite3_bind_int64(keep, 4, static_cast<sqlite3_int64>(stamp.inode));
            sqlite3_bind_int64(keep, 5, static_cast<sqlite3_int64>(stamp.size));
            sqlite3_bind_int64(keep, 6, stamp.modifiedNs);
            sqlite3_bind_int64(keep, 7, stamp.changedNs);
            sqlite3_bind_int(keep, 8, details.important);
            sqlite3_bind_int(keep, 9, details.displayTime);
            sqlite3_bind_int(keep, 10, details.durationSeconds);
            sqlite3_bind_int(keep, 11, details.extraSeconds);
            sqlite3_bind_int(keep, 12, details.extraCode);
            sqlite3_bind_int(keep, 13, details.readFailed ? 1 : 0);
            sqlite3_bind_int(keep, 14, details.hasBookmark ? 1 : 0);
            sqlite3_bind_int(keep, 15, details.encrypted ? 1 : 0);
            sqlite3_bind_int(keep, 16, details.dateSource);
            BindBytes(keep, 17, details.callerId);
            BindBytes(keep, 18, details.userId);
            BindBytes(keep, 19, details.durationText);
            BindBytes(keep, 20, details.dateText);
            BindBytes(keep, 21, details.comment);
            BindBytes(keep, 22, details.extraSecondsText);
            if (sqlite3_step(keep) != SQLITE_DONE || !KeepWords(entry.GetPath(), details))
                return false;
        }
        return true;
    });
}

bool CSqliteCallIndex::Step(sqlite3_stmt*& statement, const char* text, const std::string& path)
{
    sqlite3_stmt* prepared = Prepared(statement, text);
    if (!prepared)
        return false;
    BindBytes(prepared, 1, path);
    return sqlite3_step(prepared) == SQLITE_DONE;
}

bool CSqliteCallIndex::ForgetWords(const std::string& path)
{
    return Step(m_forgetWords, kForgetWords, path) && Step(m_forgetWordRow, kForgetWordRow, path);
}

bool CSqliteCallIndex::KeepWords(const std::string& path, const CEntryDetails& details)
{
    if (!ForgetWords(path))
        return false;
    if (details.encrypted)
        return true;
    sqlite3_stmt* words = Prepared(m_keepWords, kKeepWords);
    if (!words)
        return false;
    const std::size_t slash = path.rfind('/');
    BindText(words, 1, slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1));
    BindText(words, 2, details.callerId);
    BindText(words, 3, details.userId);
    BindText(words, 4, details.comment);
    return sqlite3_step(words) == SQLITE_DONE && Step(m_keepWordRow, kKeepWordRow, path);
}

std::vector<std::string> CSqliteCallIndex::FindAmong(
    const std::string& text, const std::vector<const CRvFileListEntry*>& entries)
{
    // A word table of their own, in memory, matched by SQLite as the kept words are.
    std::vector<std::string> paths;
    const std::string expression = MatchExpression(text);
    if (expression.empty() || entries.empty()
        || sqlite3_exec(m_database,
               "CREATE VIRTUAL TABLE temp.fresh_words USING fts5(name, caller_id, user_id, comment, "
               "tokenize = 'unicode61 remove_diacritics 2')",
               nullptr, nullptr, nullptr)
            != SQLITE_OK)
        return paths;
    sqlite3_stmt* add = nullptr;
    sqlite3_stmt* find = nullptr;
    if (sqlite3_prepare_v2(m_database,
            "INSERT INTO temp.fresh_words(rowid, name, caller_id, user_id, comment) VALUES(?1, ?2, ?3, ?4, ?5)", -1,
            &add, nullptr)
            == SQLITE_OK
        && sqlite3_prepare_v2(
               m_database, "SELECT rowid FROM temp.fresh_words WHERE fresh_words MATCH ?1", -1, &find, nullptr)
            == SQLITE_OK) {
        for (std::size_t at = 0; at < entries.size(); ++at) {
            if (entries[at]->IsEncrypted())
                continue;
            const CEntryDetails details = entries[at]->Details();
            const std::string& path = entries[at]->GetPath();
            const std::size_t slash = path.rfind('/');
            sqlite3_bind_int64(add, 1, static_cast<sqlite3_int64>(at));
            BindText(
                add, 2, slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1));
            BindText(add, 3, details.callerId);
            BindText(add, 4, details.userId);
            BindText(add, 5, details.comment);
            sqlite3_step(add);
            sqlite3_reset(add);
        }
        BindText(find, 1, expression);
        while (sqlite3_step(find) == SQLITE_ROW)
            paths.push_back(entries[static_cast<std::size_t>(sqlite3_column_int64(find, 0))]->GetPath());
    }
    sqlite3_finalize(add);
    sqlite3_finalize(find);
    sqlite3_exec(m_database, "DROP TABLE temp.fresh_words", nullptr, nullptr, nullptr);
    return paths;
}

std::vector<std::string> CSqliteCallIndex::Find(const std::string& text)
{
    std::vector<std::string> paths;
    const std::string expression = MatchExpression(text);
    sqlite3_stmt* find = expression.empty() ? nullptr : Prepared(m_find, kFind);
    if (!find)
        return paths;
    BindText(find, 1, expression);
    while (sqlite3_step(find) == SQLITE_ROW)
        paths.push_back(ColumnBytes(find, 0));
    sqlite3_reset(find);
    return paths;
}

std::unique_ptr<CRvFileListEntry> CSqliteCallIndex::Recall(const std::string& path, const CIndexStamp& stamp)
{
    sqlite3_stmt* recall = Prepared(m_recall, kRecall.c_str());
    if (!recall)
        return nullptr;
    BindBytes(recall, 1, path);
    if (sqlite3_step(recall) != SQLITE_ROW)
        return nullptr;
    const CKeptCall kept = ReadRow(recall);
    sqlite3_reset(recall);
    if (kept.encrypted || kept.stamp != stamp)
        return nullptr;
    auto entry = std::make_unique<CRvFileListEntry>();
    entry->SetPath(kept.path);
    entry->TakeDetails(kept.details);
    return entry;
}

std::vector<CKeptCall> CSqliteCallIndex::Rows(sqlite3_stmt* query)
{
    std::vector<CKeptCall> kept;
    while (sqlite3_step(query) == SQLITE_ROW)
        kept.push_back(ReadRow(query));
    sqlite3_reset(query);
    return kept;
}

std::vector<CKeptCall> CSqliteCallIndex::InFolder(const std::string& folder)
{
    sqlite3_stmt* inFolder = Prepared(m_inFolder, kInFolder.c_str());
    if (!inFolder)
        return {};
    BindBytes(inFolder, 1, folder);
    return Rows(inFolder);
}

std::vector<CKeptCall> CSqliteCallIndex::Under(const std::string& folder)
{
    sqlite3_stmt* under = Prepared(m_under, kUnder.c_str());
    if (!under)
        return {};
    const std::string base = folder == "/" ? std::string() : folder;
    BindBytes(under, 1, base + "/");
    BindBytes(under, 2, base + "0");
    return Rows(under);
}

bool CSqliteCallIndex::Forget(const std::vector<std::string>& paths)
{
    return InTransaction([&] {
        for (const std::string& path : paths) {
            sqlite3_stmt* forget = Prepared(m_forget, kForget);
            if (!forget)
                return false;
            BindBytes(forget, 1, path);
            if (sqlite3_step(forget) != SQLITE_DONE || !ForgetWords(path))
                return false;
        }
        return true;
    });
}

bool CSqliteCallIndex::ForgetAll()
{
    return InTransaction([&] {
        return sqlite3_exec(m_database, "DELETE FROM calls; DELETE FROM words; DELETE FROM word_rows;", nullptr,
                   nullptr, nullptr)
            == SQLITE_OK;
    });
}

std::vector<std::string> CSqliteCallIndex::Folders()
{
    std::vector<std::string> folders;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(m_database, "SELECT DISTINCT folder FROM calls ORDER BY folder", -1, &query, nullptr)
        == SQLITE_OK)
        while (sqlite3_step(query) == SQLITE_ROW)
            folders.push_back(ColumnBytes(query, 0));
    sqlite3_finalize(query);
    return folders;
}

CIndexSummary CSqliteCallIndex::Summary()
{
    CIndexSummary summary;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(m_database,
            "SELECT count(*), coalesce(sum(encrypted), 0), count(DISTINCT folder) FROM calls", -1, &query, nullptr)
            == SQLITE_OK
        && sqlite3_step(query) == SQLITE_ROW)
        summary = { sqlite3_column_int64(query, 0), sqlite3_column_int64(query, 1), sqlite3_column_int64(query, 2) };
    sqlite3_finalize(query);
    return summary;
}

} // namespace qor
