#include "cli/JsonText.h"

#include "foundation/Utf8Text.h"

#include <openssl/evp.h>

namespace qor::cli {
namespace {

std::string Base64(const std::string& bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace

void PutPath(Json& object, const std::string& key, const std::string& path)
{
    object[key] = DisplayText(path);
    if (!IsValidUtf8(path))
        object[key + "Bytes"] = Base64(path);
}

Json PathValue(const std::string& path)
{
    if (IsValidUtf8(path))
        return path;
    return { { "text", DisplayText(path) }, { "bytes", Base64(path) } };
}

std::string DumpJson(const Json& document)
{
    return document.dump(2, ' ', false, Json::error_handler_t::replace);
}

} // namespace qor::cli
