#include "lists/CallFinder.h"

#include "foundation/CaseFolding.h"

namespace qor {
namespace {

bool DirectionMatches(const CRvFileListEntry& entry, FindDirection direction)
{
    switch (direction) {
    case FindDirection::IncomingOnly:
        return entry.Direction() == CallDirection::Incoming;
    case FindDirection::OutgoingOnly:
        return entry.Direction() == CallDirection::Outgoing;
    default:
        return true;
    }
}

bool FieldMatches(const CRvFileListEntry& entry, FindField field, const std::u32string& pattern)
{
    auto matches = [&](const std::string& text) { return MatchesFoldedPattern(pattern, text); };
    switch (field) {
    case FindField::UserId:
        return matches(entry.GetUserIdText());
    case FindField::CallerId:
        return matches(entry.GetCallerIdText());
    case FindField::Comment:
        return matches(entry.GetCommentText());
    default:
        return matches(entry.GetUserIdText()) || matches(entry.GetCallerIdText()) || matches(entry.GetCommentText());
    }
}

} // namespace

std::vector<const CRvFileListEntry*> FindCalls(const std::vector<std::unique_ptr<CRvFileListEntry>>& entries,
    FindField field, const std::string& text, FindDirection direction)
{
    std::vector<const CRvFileListEntry*> found;
    if (text.empty())
        return found;
    const std::u32string pattern = FoldedPattern(text);
    for (const auto& entry : entries)
        if (DirectionMatches(*entry, direction) && FieldMatches(*entry, field, pattern))
            found.push_back(entry.get());
    return found;
}

} // namespace qor
