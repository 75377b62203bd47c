// Feeds arbitrary bytes as Comments.txt to the loader of the comments a user can pick when she
// annotates a call: each one offered is a line of words that fits a call's comment field.
#include "FuzzFiles.h"
#include "recording/Bookmark.h"
#include "recording/PredefinedComments.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = qor::fuzz::ScratchPath("Comments.txt");
    if (!qor::fuzz::WriteWholeFile(path, std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    const qor::CPredefinedComments loaded = qor::LoadPredefinedComments({ { path, std::nullopt } });
    if (loaded.comments.empty())
        std::abort(); // the defaults stand in for a file without a line
    for (const std::string& comment : loaded.comments) {
        if (comment.empty() || comment.find_first_of("\r\n") != std::string::npos)
            std::abort();
        std::string field;
        if (!qor::ReplaceCommentWords(field, comment))
            std::abort(); // every comment offered fits an empty field
    }
    return 0;
}
