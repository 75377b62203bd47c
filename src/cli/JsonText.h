// JSON that never fails on what lies on disk: file names are bytes and need not be UTF-8. Such a
// name is given as readable text and, beside it, its exact bytes in base64 ("pathBytes"), so a
// script can still open the very file.
#pragma once

#include "cli/CallRecords.h"

#include <string>

namespace qor::cli {

// Sets object[key] to the path as text and, when the path is not UTF-8, object[key + "Bytes"] to
// its bytes in base64.
void PutPath(Json& object, const std::string& key, const std::string& path);

// A JSON value for a path where no key can sit beside it (an array item): the text when it is
// UTF-8, otherwise {"text": ..., "bytes": base64}.
Json PathValue(const std::string& path);

// The document as text, indented by two; a string that slipped through without being UTF-8 is
// written with replacement characters rather than ending the program.
std::string DumpJson(const Json& document);

} // namespace qor::cli
