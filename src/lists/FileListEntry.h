// One call in a recording list: the path of its file and its details as ready-made column texts,
// so that lists of thousands of calls are drawn, sorted and searched without reopening files.
// An entry starts from a path (guessing user and date from the file name) and reads the header
// once, when its details are first needed.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

enum class CallDirection { None, Incoming, Outgoing };

class CRvFileListEntry;
class CRvRecordFileHdr;

// Told when an entry's duration or important mark changes, so a list's totals stay the sums over
// its entries whoever changes them.
class IListEntryOwner {
public:
    virtual void OnEntryTotalsChanged(std::int64_t durationChange, int importantChange) = 0;

protected:
    ~IListEntryOwner() = default;
};

// What an entry shows of its call once its header was read: the call index keeps it, so that the
// entry is made again, byte for byte, without reading the file.
struct CEntryDetails {
    std::int32_t important = 0;
    std::int32_t displayTime = 0;
    std::int32_t durationSeconds = 0;
    std::int32_t extraSeconds = 0;
    std::int32_t extraCode = 0;
    bool readFailed = false;
    bool hasBookmark = false;
    bool encrypted = false;
    std::uint8_t dateSource = 0;
    std::string callerId;
    std::string userId;
    std::string durationText;
    std::string dateText;
    std::string comment;
    std::string extraSecondsText;
    bool operator==(const CEntryDetails&) const = default;
};

class CRvFileListEntry {
public:
    static constexpr std::size_t kTextCapacity = 127;

    CRvFileListEntry() = default;
    virtual ~CRvFileListEntry() = default;
    CRvFileListEntry(const CRvFileListEntry&) = default;
    CRvFileListEntry& operator=(const CRvFileListEntry&) = default;

    // Sets the path and guesses the user and date texts from a name like "Line1-20160129-134525.qor".
    void SetPath(std::string path);
    // Reads the header once and fills every detail; failures become the error texts of the columns.
    // Header texts are kept as shown: UTF-8, or converted from Windows-1252.
    void LoadDetails(const std::string& passphrase);
    // Reads the header again, as a new entry for the path would (the file or the passphrase may
    // have changed); the owner's totals follow.
    void ReloadDetails(const std::string& passphrase);
    // The same from a header the caller has loaded already (loadResult is what Load returned).
    void LoadDetailsFrom(const CRvRecordFileHdr& header, int loadResult);
    // The details as loaded (LoadDetails first), and an unloaded entry given them instead of
    // reading its file; the owner's totals follow.
    CEntryDetails Details() const;
    void TakeDetails(const CEntryDetails& details);
    // True when loading found no regular file at the path (gone, a dangling link, a FIFO).
    bool IsMissing() const { return m_missing; }
    // True when the last load could not read the header (its columns show the error texts).
    bool ReadFailed() const { return m_readFailed; }
    // Recomputes the bookmark flag after the caller has changed the recording's bookmark.
    void UpdateBookmark(const std::string& passphrase, int start, int end);
    // The file's size in bytes; 0 when it cannot be read.
    std::uint64_t FileSize() const;

    CallDirection Direction() const;

    const std::string& GetPath() const { return m_path; }
    std::int32_t GetImportant() const { return m_important; }
    void SetImportant(std::int32_t important);
    std::int32_t GetDisplayTime() const { return m_displayTime; }
    // When the call began, seconds since 1970: the display time is the recorder's wall clock.
    std::int64_t GetStartTime() const;
    // The call's start as a record of it says (the archive log), without reading the file.
    void SetDisplayTime(std::int32_t seconds) { m_displayTime = seconds; }
    std::int32_t GetDurationSeconds() const { return m_durationSeconds; }
    std::int32_t GetExtraSeconds() const { return m_extraSeconds; }
    std::int32_t GetExtraCode() const { return m_extraCode; }
    bool IsLoaded() const { return m_loaded != 0; }
    const std::string& GetCallerIdText() const { return m_callerIdText; }
    // The caller ID the user typed in the list (written into the file by whoever changed it).
    void SetCallerIdText(const std::string& callerId) { m_callerIdText = callerId; }
    const std::string& GetUserIdText() const { return m_userIdText; }
    const std::string& GetDurationText() const { return m_durationText; }
    // Formatted when asked for: a list of thousands shows a screenful, a script may show none.
    std::string GetDateTimeText() const;
    const std::string& GetCommentText() const { return m_commentText; }
    void SetComment(const std::string& comment);
    const std::string& GetExtraSecondsText() const { return m_extraSecondsText; }
    bool HasBookmark() const { return m_hasBookmark != 0; }
    bool IsEncrypted() const { return m_encrypted != 0; }

    // The list that holds the entry, told of changes to its totals; copies belong to nobody.
    void SetOwner(IListEntryOwner* owner) { m_owner.owner = owner; }

private:
    // A pointer that a copied entry does not take along.
    struct COwnerLink {
        IListEntryOwner* owner = nullptr;
        COwnerLink() = default;
        COwnerLink(const COwnerLink&) { }
        COwnerLink& operator=(const COwnerLink&) { return *this; }
    };

    void SetErrorTexts(const char* shortText, const char* comment);
    void ReportTotals(std::int32_t durationBefore, std::int32_t importantBefore);

    std::int32_t m_important = 0;
    std::int32_t m_displayTime = 0;
    std::int32_t m_durationSeconds = 0;
    std::int32_t m_extraSeconds = 0;
    std::int32_t m_extraCode = 0;
    std::int32_t m_loaded = 0;
    bool m_readFailed = false;
    std::int32_t m_hasBookmark = 0;
    std::int32_t m_encrypted = 0;
    bool m_missing = false;
    // The date text is made when asked for, from the file name or the header's start, or kept.
    enum class DateSource : std::uint8_t { FileName, Header, Stored };
    DateSource m_dateSource = DateSource::Stored;
    COwnerLink m_owner;
    std::string m_path;
    std::string m_callerIdText = "?";
    std::string m_userIdText = "?";
    std::string m_durationText = "?";
    std::string m_dateTimeText = "?";
    std::string m_commentText;
    std::string m_extraSecondsText = "?";
};

} // namespace qor
