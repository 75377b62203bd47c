// The call index: what a list showed of each call, with what its file was when it was read, so that
// a list is made again from it for every file that is still as it was. Behind a small interface, so
// that a store an office shares can stand where the user's own SQLite file stands.
#pragma once

#include "lists/FileListEntry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qor {

class CIndexDatabase;

// What a file was: another file at the path, or the same one changed, stamps differently.
struct CIndexStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const CIndexStamp&) const = default;
};

// A call as the index keeps it. An encrypted call keeps no details: what its file keeps encrypted
// stays there, and it is read again with the passphrase whenever it is listed.
struct CKeptCall {
    std::string path;
    CIndexStamp stamp;
    bool encrypted = false;
    CEntryDetails details;
};

// What the index holds, for a user who asks.
struct CIndexSummary {
    std::int64_t calls = 0;
    std::int64_t encrypted = 0; // kept without their details
    std::int64_t folders = 0;
};

class ICallIndex {
public:
    virtual ~ICallIndex() = default;
    // Keeps what each loaded entry shows, as its file was (stamps in the same order), all or none.
    virtual bool Keep(const std::vector<const CRvFileListEntry*>& entries, const std::vector<CIndexStamp>& stamps) = 0;
    // The entry for path when its file is still as it was kept; null when it is not, was never
    // kept, or is encrypted.
    virtual std::unique_ptr<CRvFileListEntry> Recall(const std::string& path, const CIndexStamp& stamp) = 0;
    // The calls kept directly in a folder (not in its sub-folders), and those in it or below it.
    virtual std::vector<CKeptCall> InFolder(const std::string& folder) = 0;
    virtual std::vector<CKeptCall> Under(const std::string& folder) = 0;
    // Takes the calls out (gone from disk, or changed by us and to be read again); all or none.
    virtual bool Forget(const std::vector<std::string>& paths) = 0;
    // Takes every call out, to be read again.
    virtual bool ForgetAll() = 0;
    // The kept calls whose words begin with every word of text (file name, caller ID, user ID,
    // comment; any case, accents or none), in no set order: a list sorts them its own way.
    // Encrypted calls keep no words.
    virtual std::vector<std::string> Find(const std::string& text) = 0;
    // Which of the entries (read from their files, not kept) the same words find, by the same rule.
    virtual std::vector<std::string> FindAmong(
        const std::string& text, const std::vector<const CRvFileListEntry*>& entries)
        = 0;
    // The folders that hold kept calls, sorted.
    virtual std::vector<std::string> Folders() = 0;
    virtual CIndexSummary Summary() = 0;
};

// The index in the user's own SQLite file (see CIndexDatabase), which must stay open meanwhile.
class CSqliteCallIndex final : public ICallIndex {
public:
    explicit CSqliteCallIndex(CIndexDatabase& database);
    ~CSqliteCallIndex() override;
    CSqliteCallIndex(const CSqliteCallIndex&) = delete;
    CSqliteCallIndex& operator=(const CSqliteCallIndex&) = delete;

    bool Keep(const std::vector<const CRvFileListEntry*>& entries, const std::vector<CIndexStamp>& stamps) override;
    std::unique_ptr<CRvFileListEntry> Recall(const std::string& path, const CIndexStamp& stamp) override;
    std::vector<CKeptCall> InFolder(const std::string& folder) override;
    std::vector<CKeptCall> Under(const std::string& folder) override;
    bool Forget(const std::vector<std::string>& paths) override;
    bool ForgetAll() override;
    std::vector<std::string> Find(const std::string& text) override;
    std::vector<std::string> FindAmong(
        const std::string& text, const std::vector<const CRvFileListEntry*>& entries) override;
    std::vector<std::string> Folders() override;
    CIndexSummary Summary() override;

private:
    sqlite3_stmt* Prepared(sqlite3_stmt*& statement, const char* text);
    bool InTransaction(const std::function<bool()>& work);
    // Whether the disk has room for a batch of calls and still some for everybody else.
    bool RoomFor(std::size_t calls) const;

    sqlite3* m_database;
    sqlite3_stmt* m_keep = nullptr;
    sqlite3_stmt* m_recall = nullptr;
    std::vector<CKeptCall> Rows(sqlite3_stmt* query);

    sqlite3_stmt* m_inFolder = nullptr;
    sqlite3_stmt* m_under = nullptr;
    sqlite3_stmt* m_forget = nullptr;
    bool Step(sqlite3_stmt*& statement, const char* text, const std::string& path);
    bool KeepWords(const std::string& path, const CEntryDetails& details);
    bool ForgetWords(const std::string& path);
    sqlite3_stmt* m_forgetWords = nullptr;
    sqlite3_stmt* m_forgetWordRow = nullptr;
    sqlite3_stmt* m_keepWords = nullptr;
    sqlite3_stmt* m_keepWordRow = nullptr;
    sqlite3_stmt* m_find = nullptr;
};

} // namespace qor
