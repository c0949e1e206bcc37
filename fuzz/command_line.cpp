// The command line through the entry wrapper: EntryWrapper reads the
// process's arguments as the system keeps them (/proc/self/cmdline) and
// hands main valid UTF-8. Each input is written into this process's own
// argument area, which is what the system reads back (the area's last byte
// stays NUL, so the system gives the whole area); the rest of the area is
// NUL bytes, which arrive as empty arguments. The area is made large enough
// by starting again with a padding argument that libFuzzer is told to
// ignore.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/Utf8.h>

#include <utf8.h>

#include <cstring>
#include <sstream>

namespace
{
constexpr size_t AREA_BYTES = 4096;
char* area = nullptr;
size_t areaSize = 0;

// Fields 48 and 49 of /proc/self/stat: where the system keeps the arguments.
bool FindArgumentArea()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2)); // field 3 on
    std::string field;
    unsigned long long start = 0, end = 0;
    for (int number = 3; fields >> field; ++number)
    {
        if (number == 48)
            start = std::stoull(field);
        if (number == 49)
            end = std::stoull(field);
    }
    area = reinterpret_cast<char*>(start);
    areaSize = end > start ? end - start : 0;
    return areaSize >= AREA_BYTES;
}

std::vector<std::string> seen;

int Record(int argc, char** argv)
{
    seen.clear();
    for (int i = 0; i < argc; ++i)
    {
        seen.emplace_back(argv[i]);
        // One buffer: each argument right after the one before, then one more NUL.
        const char* next = argv[i] + std::strlen(argv[i]) + 1;
        KAVREL_FUZZ_EXPECT(i + 1 < argc ? argv[i + 1] == next : *next == '\0');
    }
    return 7;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    if (!FindArgumentArea())
    {
        // Again, with room: the padding is one argument of AREA_BYTES bytes.
        std::vector<char*> again(*argv, *argv + *argc);
        static char ignore[] = "-ignore_remaining_args=1";
        static std::string padding(AREA_BYTES, 'p');
        again.push_back(ignore);
        again.push_back(padding.data());
        again.push_back(nullptr);
        ::execv("/proc/self/exe", again.data());
        std::perror("fuzz_command_line: cannot start again with room for the arguments");
        std::abort();
    }
    Kavrel::Fuzz::Prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size >= areaSize)
        return -1;
    std::memcpy(area, data, size);
    std::memset(area + size, 0, areaSize - size);
    const std::string block(area, areaSize);

    KAVREL_FUZZ_EXPECT(Kavrel::App::EntryWrapper(&Record) == 7);
    const std::vector<std::string> split = Kavrel::Platform::SplitArgumentBlock(block);
    KAVREL_FUZZ_EXPECT(seen == split);

    // Each argument: valid UTF-8, the bytes themselves when they were valid,
    // and one replacement character per byte that starts no valid sequence.
    size_t start = 0;
    for (const std::string& argument : seen)
    {
        const size_t end = block.find('\0', start);
        const std::string raw = block.substr(start, end - start);
        start = end + 1;
        KAVREL_FUZZ_EXPECT(utf8::is_valid(argument.begin(), argument.end()));
        if (utf8::is_valid(raw.begin(), raw.end()))
            KAVREL_FUZZ_EXPECT(argument == raw);
        KAVREL_FUZZ_EXPECT(argument.size() <= 3 * raw.size());
        // UTF-16 and back gives the same text.
        KAVREL_FUZZ_EXPECT(Kavrel::Platform::Utf8FromUtf16(Kavrel::Platform::Utf16FromUtf8(argument)) == argument);
    }
    KAVREL_FUZZ_EXPECT(start == block.size());

    // The same bytes as UTF-16 units (a Windows command line): valid UTF-8 out.
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const std::string converted = Kavrel::Platform::Utf8FromUtf16(units);
    KAVREL_FUZZ_EXPECT(utf8::is_valid(converted.begin(), converted.end()));
    return 0;
}
