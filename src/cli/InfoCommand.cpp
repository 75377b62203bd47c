// info: every field of recordings' headers, the bookmark and the direction, as text or JSON.
#include "cli/CallRecords.h"
#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "cli/JsonText.h"
#include "cli/RecordingErrors.h"
#include "cli/TerminalText.h"
#include "recording/RecordFileHdr.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

namespace qor::cli {
namespace {

struct InfoOptions {
    std::vector<std::string> files;
    std::string format = "text";
};

void PrintText(const Json& call)
{
    static const std::pair<const char*, const char*> rows[] = { { "path", "File" }, { "version", "Version" },
        { "codec", "Codec" }, { "encrypted", "Encrypted" }, { "keyType", "Key type" }, { "important", "Important" },
        { "userId", "User ID" }, { "callerId", "Caller ID" }, { "direction", "Direction" },
        { "dateTime", "Date + Time" }, { "start", "Start (seconds since 1970)" }, { "duration", "Duration" },
        { "bookmark", "Bookmark" }, { "comment", "Comment" }, { "extraCode", "Extra code" },
        { "extraSeconds", "Extra seconds" }, { "recorderType", "Recorder" }, { "headerLength", "Header length" } };
    for (const auto& [key, label] : rows) {
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
        std::printf("%-27s %s\n", label, TerminalText(text).c_str());
    }
}

void RunInfo(const InfoOptions& options, CCliContext& context)
{
    Json calls = Json::array();
    bool first = true;
    for (const std::string& path : options.files) {
        CRvRecordFileHdr header;
        const int result = header.Load(path, context.Passphrase());
        if (result <= 0) {
            context.Fail(path, WhyUnreadable(path, header, result));
            continue;
        }
        Json call = HeaderJson(path, header);
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
