#include "recording/PredefinedComments.h"

#include "foundation/Utf8Text.h"
#include "foundation/WriteTrust.h"
#include "recording/Bookmark.h"

#include <algorithm>
#include <sstream>

namespace qor {
namespace {

// A list to pick from, not a document: a larger file is not read.
constexpr std::uint64_t kLargestFile = 256 * 1024;

const std::vector<std::string> kDefaults = { "Product Interest", "Verbal Quote", "Very Interested", "** Sale **",
    "Callback Again", "Promised To Pay", "Abusive Call!", "Complaint", "Order Detail", "Address Detail", "Private Call",
    "Follow Up", "Interview", "Charge Client", "Dictation", "Great Sales Technique" };

} // namespace

CPredefinedComments LoadPredefinedComments(const std::vector<CCommentsFile>& candidates)
{
    CPredefinedComments loaded;
    std::string content;
    const auto read = [&content, &loaded](const CCommentsFile& file) {
        std::string why;
        const CConfigurationRead result = ReadConfiguration(file.path, content, why, kLargestFile, file.owner);
        if (result == CConfigurationRead::Untrusted)
            loaded.refused.emplace_back(file.path, why);
        return result == CConfigurationRead::Read;
    };
    if (std::none_of(candidates.begin(), candidates.end(), read)) {
        loaded.comments = kDefaults;
        return loaded;
    }
    std::vector<std::string> comments;
    // Lines end in LF, CR LF or a lone CR (older Macs): a comment offered never holds a line break.
    std::replace(content.begin(), content.end(), '\r', '\n');
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        // A file written on another system may be Windows-1252: shown as the lists show headers.
        if (!line.empty())
            comments.emplace_back(CutOnCharacterBoundary(DisplayText(line), kCommentCapacity));
    }
    loaded.comments = comments.empty() ? kDefaults : comments;
    return loaded;
}

} // namespace qor
