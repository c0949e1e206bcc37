// Started by the entry wrapper tests: prints what its main function received.
// Output: "argc=N", one line "arg=<hex bytes>" per argument, then
// "layout=ok" when every argument follows the previous one in one buffer,
// each ends in a zero byte and one more zero byte ends the buffer.
#include <Kavrel/App/Application/EntryWrapper.h>

#include <cstdio>
#include <cstring>

namespace
{
int Probe(int argc, char** argv)
{
    std::printf("argc=%d\n", argc);
    bool layout = true;
    for (int i = 0; i < argc; ++i)
    {
        std::printf("arg=");
        for (const char* c = argv[i]; *c; ++c)
            std::printf("%02x", static_cast<unsigned char>(*c));
        std::printf("\n");
        const size_t length = std::strlen(argv[i]);
        if (i + 1 < argc && argv[i + 1] != argv[i] + length + 1)
            layout = false;
        if (i + 1 == argc && argv[i][length + 1] != '\0')
            layout = false;
    }
    std::printf("layout=%s\n", layout ? "ok" : "broken");
    return 42;
}
} // namespace

int main() { return Kavrel::App::EntryWrapper(&Probe); }
