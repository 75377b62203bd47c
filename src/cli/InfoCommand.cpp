// info: every field of recordings' headers, the bookmark and the direction, as text or JSON.
#include "cli/CallRecords.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/JsonText.h"
#include "cli/RecordingErrors.h"
#include "foundation/CallTime.h"
#include "foundation/TerminalText.h"
#include "recording/RecordFileHdr.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace qor::cli {
namespace {

struct InfoOptions {
    std::vector<std::string> files;
    std::string format = "text";
};

void PrintText(const Json& call)
{
    static const std::pair<const char*, const char*> rows[]
        = { { "path", "File" }, { "version", "Version" }, { "codec", "Codec" }, { "encrypted", "Encrypted" },
              { "keyType", "Key type" }, { "important", "Important" }, { "userId", "User ID" },
              { "callerId", "Caller ID" }, { "direction", "Direction" }, { "dateTime", "Date + Time" },
              { "start", "Start (seconds since 1970)" }, { "duration", "Duration" }, { "bookmark", "Bookmark" },
              { "comment", "Comment" }, { "extraCode", "Extra code" }, { "extraSeconds", "Extra seconds" },
              { "recorderType", "Recorder" }, { "headerLength", "Header length" }, { "error", "Error" } };
    for (const auto& [key, label] : rows) {
        if (!call.contains(key))
            continue;
        const Json& value = call[key];
        std::string text;
        if (value.is_string())
            text = value.get<std::string>();
        else if (value.is_boolean())
            text = value.get<bool>() ? "yes" : "no";
        else if (value.is_object())
            text = value["text"].get<std::string>();
        else if (!value.is_null())
            text = value.dump();
        if (key == std::string_view("dateTime") && call.contains("dateFrom"))
            text += " (the file's time: the header cannot be read)";
        std::printf("%-27s %s\n", label, TerminalText(text).c_str());
    }
}

// What a file whose header cannot be read still tells. Its time stands in for the call's, as it
// does in the date filters, and the record says so.
Json UnreadableJson(
    const std::string& path, const CRvRecordFileHdr& header, std::int64_t modified, const std::string& error)
{
    Json call = Json::object();
    PutPath(call, "path", path);
    call["encrypted"] = header.IsEncrypted();
    call["dateTime"] = IsoLocalTime(modified);
    call["dateFrom"] = "file";
    call["error"] = error;
    return call;
}

void RunInfo(const InfoOptions& options, CCliContext& context)
{
    Json calls = Json::array();
    bool first = true;
    for (const std::string& path : options.files) {
        CRvRecordFileHdr header;
        const int result = header.Load(path, context.Passphrase());
        Json call;
        if (result <= 0) {
            const std::string error = WhyUnreadable(path, header, result);
            context.Fail(path, error);
            struct stat status { };
            if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
                continue;
            call = UnreadableJson(path, header, status.st_mtime, error);
        } else {
            call = HeaderJson(path, header);
        }
        if (options.format == "json") {
            calls.push_back(std::move(call));
            continue;
        }
        if (!first)
            std::puts("");
        first = false;
        PrintText(call);
    }
    if (options.format == "json")
        std::puts(DumpJson(calls).c_str());
}

} // namespace

void AddInfoCommand(CLI::App& program, CCliContext& context)
{
    auto options = std::make_shared<InfoOptions>();
    CLI::App* info = program.add_subcommand("info", "Show every header field of recordings");
    info->add_option("FILE", options->files, "Recordings")->required();
    info->add_option("--format", options->format, "text or json")->check(CLI::IsMember({ "text", "json" }));
    info->callback([options, &context] { RunInfo(*options, context); });
}

} // namespace qor::cli
