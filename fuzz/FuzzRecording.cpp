// Feeds arbitrary bytes as a recording file to the header reader, the bookmark and comment parsing,
// and to opening and decoding.
#include "recording/Bookmark.h"
#include "recording/RecordFile.h"
#include "recording/RecordFileHdr.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::string& InputPath()
{
    static const std::string path
        = (std::filesystem::temp_directory_path() / ("qorfuzz-" + std::to_string(getpid()) + ".qor")).string();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qor;
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    for (const char* passphrase : { "", "demo" }) {
        CRvRecordFileHdr header;
        if (header.Load(InputPath(), passphrase) != 0) {
            int start = 0, end = 0;
            header.ParseBookmark(start, end);
            header.FormatStartTime();
            header.FormatDuration();
            header.Serialize();
            header.WriteBookmark(1, 2);
            header.WriteBookmark(-1, -1);
            // The comment as the lists show it and as Annotate replaces its words.
            const std::string comment = header.Comment();
            if (CommentUserText(comment).size() > comment.size() || CommentRoom(comment) > kCommentCapacity)
                std::abort();
            std::string replaced = comment;
            if (ReplaceCommentWords(replaced, "fuzzed words") && CommentUserText(replaced) != "fuzzed words")
                std::abort(); // the words written are the words the lists then show
        }
        CRvRecordFile recording;
        if (recording.OpenAndWait(InputPath(), passphrase) == 1) {
            const auto samples = recording.GetSamples(recording.GetSampleCount() - 1, 10);
            if (samples.size() != 1)
                std::abort();
        }
    }
    return 0;
}
