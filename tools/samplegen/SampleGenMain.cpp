// qor-samplegen: writes recordings for tests, demos and benchmarks.
#include "samplegen/DemoLibrary.h"
#include "samplegen/SampleRecording.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>

namespace {

using namespace qor;
using namespace qor::samplegen;

void PrintUsage(std::FILE* out)
{
    std::fputs("Usage:\n"
               "  qor-samplegen --demo DIR [--count N]\n"
               "      a demo library: N calls (default 240) of 5 users over 12 months, both directions,\n"
               "      every codec, a tenth encrypted with the passphrase \"demo\"\n"
               "  qor-samplegen --out FILE [options]\n"
               "      one recording:\n"
               "      --version 1..5          header version; 5 is encrypted (default 4)\n"
               "      --codec alaw|mulaw|ima|gsm   (default gsm)\n"
               "      --caller TEXT           caller ID, \">\" incoming, \"<\" outgoing (default >5551234)\n"
               "      --user TEXT             user ID (default User)\n"
               "      --start YYYYMMDD-HHMMSS local start time (default 20160129-134525)\n"
               "      --duration SECONDS      length (default 10)\n"
               "      --no-stored-duration    write duration 0\n"
               "      --recorder TEXT         recorder type (default Unknown)\n"
               "      --comment TEXT          the user's comment\n"
               "      --bookmark START-END    bookmark in seconds\n"
               "      --important             mark the call important\n"
               "      --passphrase TEXT       passphrase of an encrypted call (version 5)\n"
               "      --key-type 0|1|2        AES-128, AES-192 or AES-256 (default 0)\n"
               "      --seed N                chooses the sound (default 1)\n",
        out);
}

bool ParseStart(const char* text, std::int32_t& startTime)
{
    std::tm broken{};
    if (!strptime(text, "%Y%m%d-%H%M%S", &broken))
        return false;
    startTime = static_cast<std::int32_t>(timegm(&broken)); // stored as local wall-clock time
    return true;
}

bool ParseCodec(const std::string& name, std::int32_t& codecTag)
{
    static const std::map<std::string, std::int32_t> codecs
        = { { "alaw", kCodecALaw }, { "mulaw", kCodecMuLaw }, { "ima", kCodecImaAdpcm }, { "gsm", kCodecGsm } };
    const auto found = codecs.find(name);
    if (found == codecs.end())
        return false;
    codecTag = found->second;
    return true;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "qor-samplegen: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    CSampleCall call;
    std::string out, demo;
    int count = 240;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        const char* value = hasValue ? argv[i + 1] : "";
        auto needValue = [&] { return hasValue ? (++i, true) : false; };
        if (option == "--help" || option == "-h") {
            PrintUsage(stdout);
            return 0;
        } else if (option == "--important") {
            call.important = true;
        } else if (option == "--no-stored-duration") {
            call.storeDuration = false;
        } else if (!needValue()) {
            return Fail("missing value after " + option);
        } else if (option == "--demo") {
            demo = value;
        } else if (option == "--count") {
            count = std::atoi(value);
        } else if (option == "--out") {
            out = value;
        } else if (option == "--version") {
            call.version = std::atoi(value);
        } else if (option == "--codec") {
            if (!ParseCodec(value, call.codecTag))
                return Fail(std::string("unknown codec ") + value);
        } else if (option == "--caller") {
            call.callerId = value;
        } else if (option == "--user") {
            call.userId = value;
        } else if (option == "--start") {
            if (!ParseStart(value, call.startTime))
                return Fail(std::string("start time must look like 20160129-134525, not ") + value);
        } else if (option == "--duration") {
            call.durationSeconds = std::atoi(value);
        } else if (option == "--recorder") {
            call.recorderType = value;
        } else if (option == "--comment") {
            call.comment = value;
        } else if (option == "--bookmark") {
            if (std::sscanf(value, "%d-%d", &call.bookmarkStart, &call.bookmarkEnd) != 2)
                return Fail(std::string("bookmark must look like 10-20, not ") + value);
        } else if (option == "--passphrase") {
            call.passphrase = value;
        } else if (option == "--key-type") {
            call.keyType = std::atoi(value);
        } else if (option == "--seed") {
            call.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else {
            return Fail("unknown option " + option);
        }
    }
    if (!demo.empty()) {
        const int written = WriteDemoLibrary(demo, count);
        std::printf("%d calls written to %s\n", written, demo.c_str());
        return written == count ? 0 : 1;
    }
    if (out.empty()) {
        PrintUsage(stderr);
        return 2;
    }
    if (call.version < 1 || call.version > 5)
        return Fail("version must be 1 to 5");
    if (call.version == 5 && (call.passphrase.empty() || call.keyType < 0 || call.keyType > 2))
        return Fail("an encrypted call (version 5) needs --passphrase and a key type of 0, 1 or 2");
    if (call.durationSeconds < 0)
        return Fail("duration must not be negative");
    if (!WriteRecording(out, call))
        return Fail("cannot write " + out);
    return 0;
}
