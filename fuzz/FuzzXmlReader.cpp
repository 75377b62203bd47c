// Feeds arbitrary bytes to the tolerant XML reader that reads lists, the play history and logs.
#include "foundation/XmlReader.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qor::CXmlReader reader;
    const bool parsed = reader.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed != (reader.Error().code == qor::CXmlReader::kNoError) || reader.Root().name != "[Root]")
        std::abort();
    return 0;
}
