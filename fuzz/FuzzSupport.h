// What every fuzz target shares: a private home for the files the library
// reads and writes, the offscreen platform, quiet logs, and a check that
// stops the run with a message when an expectation fails (libFuzzer keeps
// the input that made it).
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <glog/logging.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Kavrel::Fuzz
{

inline std::string& Root()
{
    static std::string root;
    return root;
}

inline void RemoveRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(Root(), ignored);
}

inline void QuietQt(QtMsgType, const QMessageLogContext&, const QString&) {}

// Call from LLVMFuzzerInitialize, before any Qt object exists.
inline void Prepare()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kavrel-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        std::abort();
    Root() = pattern;
    std::atexit(&RemoveRoot);
    const char* folders[][2] = {{"HOME", "/home"},
                                {"XDG_CONFIG_HOME", "/home/.config"},
                                {"XDG_DATA_HOME", "/home/.local/share"},
                                {"XDG_CACHE_HOME", "/home/.cache"},
                                {"XDG_STATE_HOME", "/home/.local/state"},
                                {"XDG_RUNTIME_DIR", "/runtime"},
                                {"XDG_CONFIG_DIRS", "/etc-xdg"},
                                {"LOCALAPPDATA", "/localappdata"},
                                {"TMPDIR", "/tmp"}};
    for (const auto& [variable, folder] : folders)
    {
        const std::string path = Root() + folder;
        std::filesystem::create_directories(path);
        ::chmod(path.c_str(), 0700);
        ::setenv(variable, path.c_str(), 1);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("GLOG_PRODUCT_NAME");
    // Millions of inputs: the library's warnings about them would be most of the run.
    FLAGS_minloglevel = google::GLOG_FATAL;
    FLAGS_logtostderr = true;
    qInstallMessageHandler(&QuietQt);
}

inline void WriteFile(const std::string& path, const std::uint8_t* data, size_t size)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
}

[[noreturn]] inline void Fail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "%s:%d: expectation failed: %s\n", file, line, what);
    std::abort();
}

} // namespace Kavrel::Fuzz

// An expectation about the library's answer; failing it is a finding.
#define KAVREL_FUZZ_EXPECT(condition)                                                                        \
    do                                                                                                       \
    {                                                                                                        \
        if (!(condition))                                                                                    \
            ::Kavrel::Fuzz::Fail(__FILE__, __LINE__, #condition);                                            \
    } while (false)
