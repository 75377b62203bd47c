// The user's own call index for one run of a program: the database in the private cache folder
// and the index over it, or nothing when it cannot be had (the list is then read from the files).
#pragma once

#include "lists/index/CallIndex.h"
#include "lists/index/IndexDatabase.h"

#include <memory>
#include <string>

namespace qor {

class CUserCallIndex {
public:
    // Opens the index in folder (by default the user's cache folder). notice says what the user
    // should hear once: that a file was set aside, or why there is no index this time.
    bool Open(std::string& notice, const std::string& folder = CIndexDatabase::DefaultFolder());
    // Null when not open.
    ICallIndex* Get() { return m_index.get(); }
    const std::string& Path() const { return m_database.Path(); }
    // Gives back the room of forgotten calls, after a rebuild.
    void Compact();
    // Closes it, which also folds its write-ahead log back into the file.
    void Close();

private:
    CIndexDatabase m_database;
    std::unique_ptr<CSqliteCallIndex> m_index;
};

} // namespace qor
