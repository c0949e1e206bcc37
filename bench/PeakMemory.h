#pragma once
// The process's peak resident memory so far, in kB (VmHWM), for the
// start-up programs to report when asked with --peak.
#include <cstdio>
#include <cstdlib>
#include <cstring>

inline long PeakMemoryKb()
{
    long peak = -1;
    if (std::FILE* status = std::fopen("/proc/self/status", "r"))
    {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                peak = std::strtol(line + 6, nullptr, 10);
        std::fclose(status);
    }
    return peak;
}

inline bool AskedFor(int argc, char** argv, const char* option)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0)
            return true;
    return false;
}
