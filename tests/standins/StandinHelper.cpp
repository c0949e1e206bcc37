// Child program for the stand-in tests. Modes:
//   hold <name>   takes the named mutex, writes "held" or "free", then waits to be killed
//   probe <name>  writes "held" or "free" as IsHeldByAnyone sees the name
//   wait          writes "ready", then waits to be killed
//   args ...      writes its own command line as the system reports it, "[arg]" per line
#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/NamedMutex.h>

#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    using Kavrel::Platform::NamedMutex;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "args")
    {
        for (const std::string& argument : Kavrel::Platform::GetCommandLineArguments())
            std::printf("[%s]\n", argument.c_str());
        return 0;
    }
    if (mode == "probe" && argc == 3)
    {
        std::printf(NamedMutex::IsHeldByAnyone(argv[2]) ? "held\n" : "free\n");
        return 0;
    }
    if (mode == "hold" && argc == 3)
    {
        NamedMutex mutex(argv[2]);
        std::printf(mutex.IsHeld() ? "held\n" : "free\n");
        std::fflush(stdout);
        for (;;)
            ::pause();
    }
    if (mode == "wait")
    {
        std::printf("ready\n");
        std::fflush(stdout);
        for (;;)
            ::pause();
    }
    return 2;
}
