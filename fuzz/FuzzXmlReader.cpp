// Feeds arbitrary bytes to the tolerant XML reader that reads lists, the play history and logs,
// and checks that reading without a tree sees exactly the texts the tree holds.
#include "foundation/XmlReader.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qor::CXmlReader reader;
    const bool parsed = reader.Parse(text);
    if (parsed != (reader.Error().code == qor::CXmlReader::kNoError) || reader.Root().name != "[Root]")
        std::abort();
    std::vector<std::pair<std::string, std::string>> fromTree;
    reader.Root().VisitTexts(
        [&](const std::string& piece, const qor::CXmlNode& parent) { fromTree.emplace_back(piece, parent.name); });

    qor::CXmlReader streaming;
    std::vector<std::pair<std::string, std::string>> streamed;
    const bool visited = streaming.VisitTexts(
        text, [&](const std::string& piece, const std::string& parent) { streamed.emplace_back(piece, parent); });
    if (visited != parsed || streaming.Error().code != reader.Error().code || streamed != fromTree)
        std::abort();
    return 0;
}
