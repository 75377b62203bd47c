// Feeds arbitrary bytes as hotlist.xml or shortcut.xml to the store that loads them, changes the
// tree as a user would, then lets "another program" save arbitrary bytes over the file and merges.
// Whatever the files hold, ids stay unique and what a save writes loads back as it was.
#include "FuzzFiles.h"
#include "review/HotLists.h"
#include "review/ShortCuts.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <set>
#include <string>

namespace {

void RequireUniqueIds(const qor::CTreeStore& store)
{
    std::set<std::int32_t> ids;
    for (const qor::CTreeStoreEntry& entry : store.Entries())
        if (entry.id == qor::CTreeStore::kNoParent || !ids.insert(entry.id).second)
            std::abort();
}

template <typename Store> void Exercise(const std::string& mine, const std::string& theirs, std::uint8_t change)
{
    Store store;
    qor::fuzz::WriteWholeFile(store.FilePath(), mine);
    store.Load();
    RequireUniqueIds(store);
    // A user's changes: a new group with a link, a rename, a move and a removal.
    const std::int32_t group = store.NewId() < 0 ? 0 : store.NewId();
    store.Add({ group, qor::CTreeStore::kNoParent, "Fuzzed", "", true });
    store.Add({ group + 1, group, "call.qor", "/calls/call.qor", false });
    if (!store.Entries().empty()) {
        const qor::CTreeStoreEntry& picked = store.Entries()[change % store.Entries().size()];
        const std::int32_t id = picked.id;
        store.Rename(id, "renamed");
        store.Move(id, group);
        if (change & 0x80)
            store.Remove(id);
    }
    store.RemoveDuplicateChildren(qor::CTreeStore::kNoParent);
    RequireUniqueIds(store);

    qor::fuzz::WriteWholeFile(store.FilePath(), theirs);
    store.PickUpSavedChanges();
    RequireUniqueIds(store);
    if (!store.Save())
        return;
    RequireUniqueIds(store);
    Store reread;
    reread.Load();
    if (reread.Entries() != store.Entries())
        std::abort(); // what was saved loads back as it was
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qor::fuzz::UsePrivateDataFolders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::uint8_t choice = input.ConsumeIntegral<std::uint8_t>();
    const std::string mine = input.ConsumeRandomLengthString(size);
    const std::string theirs = input.ConsumeRemainingBytesAsString();
    if (choice & 1)
        Exercise<qor::CHotLists>(mine, theirs, choice >> 1);
    else
        Exercise<qor::CShortCuts>(mine, theirs, choice >> 1);
    return 0;
}
