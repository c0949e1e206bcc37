// Prints the running programs the preferred-browser detection sees, one
// "name<TAB>path" line each (every program, not only browsers), so that the
// scan can be timed as a whole process against `ps -e -o comm=`.
//   process_map            the map, as the detection builds it
//   process_map --repeat N scan N times in one process and print the cost
//                          per scan and per process
#include <Kavrel/App/Application/PreferredBrowser.h>
#include <Kavrel/Platform/ProcessList.h>

#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    const auto all = [](const QString& name) { return !name.isEmpty(); };
    if (argc == 3 && std::strcmp(argv[1], "--repeat") == 0)
    {
        const int repeat = std::max(1, std::atoi(argv[2]));
        const size_t processes = Kavrel::Platform::ListRunningExecutables().size();
        const auto start = std::chrono::steady_clock::now();
        size_t entries = 0;
        for (int i = 0; i < repeat; ++i)
            entries += Kavrel::App::GetCurrentProcessMap(all).size();
        const double us =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
            repeat;
        std::printf("scan: %.1f us for %zu inspectable processes (%.2f us each), %zu names\n", us, processes,
                    processes ? us / static_cast<double>(processes) : 0.0, entries / repeat);
        return 0;
    }
    QTextStream out(stdout);
    for (const auto& [name, path] : Kavrel::App::GetCurrentProcessMap(all))
        out << name << '\t' << path << '\n';
    return 0;
}
