#include "support/SinkCapture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qor::test {

CSinkCapture::CSinkCapture(const std::string& sink, const std::string& folder)
    : m_path(folder + "/captured.raw")
{
    const std::string device = "--device=" + sink + ".monitor";
    std::vector<std::string> arguments
        = { "parec", device, "--rate=8000", "--channels=1", "--format=s16le", "--raw", "--latency-msec=20", m_path };
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&m_recorder, "parec", nullptr, nullptr, argv.data(), environ) != 0) {
        m_recorder = -1;
        return;
    }
    for (int wait = 0; wait < 500 && !m_started; ++wait) {
        std::error_code error;
        m_started = std::filesystem::file_size(m_path, error) > 0 && !error;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

CSinkCapture::~CSinkCapture()
{
    Stop();
}

std::vector<std::int16_t> CSinkCapture::Stop()
{
    if (m_recorder > 0) {
        kill(m_recorder, SIGTERM);
        waitpid(m_recorder, nullptr, 0);
        m_recorder = -1;
    }
    std::ifstream in(m_path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(
            static_cast<std::uint8_t>(bytes[2 * i]) | static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
}

} // namespace qor::test
