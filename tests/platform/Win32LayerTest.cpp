// Where Windows semantics differ from Linux and the library depends on them:
// the registry, named kernel objects, the command line as the system splits
// it, windows. Run under Wine by scripts/run-windows-tests.sh, with a
// virtual display for the window cases.
#include "PlatformSupport.h"

#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/GestureApi.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Platform/RegistryStore.h>
#include <Kavrel/Platform/Utf8.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <gtest/gtest.h>

#include <windows.h>
#undef GetEnvironmentVariable // the layer's, not the system's macros
#undef SetEnvironmentVariable

#include <shellapi.h>

#include <cstdlib>
#include <filesystem>

using namespace std::string_literals;
using namespace Kavrel::PlatformTest;
namespace fs = std::filesystem;
namespace Platform = Kavrel::Platform;
using Platform::NamedMutex;
using Platform::RegistryStore;
using Strings = std::vector<std::string>;

namespace
{
std::wstring Wide(const std::string& text) { return fs::u8path(text).wstring(); }

std::u16string Units(const std::string& text) { return Platform::Utf16FromUtf8(text); }

// A key of this test process under the current user, removed at the end.
class TestKey
{
public:
    TestKey() : path(Units("Software\\Kavrel\\" + UniqueName("registry")))
    {
        HKEY created = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(path.c_str()), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &created, nullptr);
        ::RegCloseKey(created);
    }
    ~TestKey()
    {
        if (key)
            store.CloseKey(key);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(path.c_str()));
    }
    // Opens the key by the given spelling of its path.
    long Open(const std::u16string& spelling)
    {
        return store.OpenKey(RegistryStore::CURRENT_USER, spelling, key);
    }

    RegistryStore& store = *Platform::GetRegistryStore();
    const std::u16string path;
    RegistryStore::Key key = nullptr;
};

std::u16string Upper(std::u16string text)
{
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}

// Runs the helper with a command line made by hand, not by the layer.
Strings ArgumentsSeenFor(const std::wstring& tail)
{
    const std::string folder = FreshFolder(UniqueName("raw"));
    std::wstring line = L"\"" + Wide(HelperPath()) + L"\" args \"" + Wide(folder + "/result") + L"\" \"" +
                        Wide(folder + "/stop") + L"\" " + tail;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(Wide(HelperPath()).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return {};
    ::WaitForSingleObject(process.hProcess, 20000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    const Strings seen = Platform::SplitArgumentBlock(ReadFile(folder + "/result"));
    return seen.size() >= 4 ? Strings(seen.begin() + 4, seen.end()) : Strings{"(no result)"};
}

Strings SplitHere(const std::wstring& tail)
{
    int count = 0;
    LPWSTR* split = ::CommandLineToArgvW((L"program " + tail).c_str(), &count);
    Strings arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Platform::Utf8FromUtf16(std::u16string(split[i], split[i] + ::wcslen(split[i]))));
    ::LocalFree(split);
    return arguments;
}

// Top-level windows at known places and a child in one, on the display the
// suite runs with; only activation needs them shown.
struct Windows
{
    explicit Windows(bool shown)
    {
        const DWORD style = WS_POPUP | (shown ? WS_VISIBLE : 0);
        top = ::CreateWindowExW(0, L"STATIC", L"top", style, 100, 200, 300, 300, nullptr, nullptr, nullptr,
                                nullptr);
        child = ::CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 10, 10, 30, 30, top, nullptr, nullptr,
                                  nullptr);
        other = ::CreateWindowExW(0, L"STATIC", L"other", style, 500, 200, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    }
    ~Windows()
    {
        for (HWND window : {child, top, other})
            if (window)
                ::DestroyWindow(window);
    }
    static unsigned long Id(HWND window)
    {
        return static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window));
    }

    HWND top, child, other;
};
} // namespace

// ---------------------------------------------------------------- registry

TEST(Win32Registry, keyAndValueNamesIgnoreCaseAndKeepTheirSpelling)
{
    TestKey test;
    ASSERT_EQ(test.Open(Upper(test.path)), RegistryStore::SUCCESS);
    ASSERT_EQ(test.store.SetTextValue(test.key, u"PreferredBrowser", Units("C:\\é.exe")),
              RegistryStore::SUCCESS);
    std::vector<unsigned char> data;
    ASSERT_EQ(test.store.QueryValue(test.key, u"preferredbrowser", 520, data), RegistryStore::SUCCESS);
    // The registry may keep a terminator of its own (Wine's does).
    const std::u16string read(reinterpret_cast<const char16_t*>(data.data()), data.size() / 2);
    EXPECT_EQ(read.substr(0, read.find(u'\0')), Units("C:\\é.exe"));
    std::u16string name;
    ASSERT_EQ(test.store.EnumValue(test.key, 0, 260, name), RegistryStore::SUCCESS);
    EXPECT_EQ(name, u"PreferredBrowser");
    EXPECT_EQ(test.store.DeleteValue(test.key, u"PREFERREDBROWSER"), RegistryStore::SUCCESS);
    EXPECT_EQ(test.store.EnumValue(test.key, 0, 260, name), RegistryStore::NO_MORE_ITEMS);
    EXPECT_EQ(test.store.DeleteValue(test.key, u"PreferredBrowser"), RegistryStore::FILE_NOT_FOUND);

    // Deleting at an index moves the next value into it.
    for (const char16_t* name : {u"one", u"two", u"three"})
        ASSERT_EQ(test.store.SetTextValue(test.key, name, u"x"), RegistryStore::SUCCESS);
    for (int deleted = 0; deleted < 3; ++deleted)
    {
        ASSERT_EQ(test.store.EnumValue(test.key, 0, 260, name), RegistryStore::SUCCESS);
        EXPECT_EQ(test.store.DeleteValue(test.key, name), RegistryStore::SUCCESS);
    }
    EXPECT_EQ(test.store.EnumValue(test.key, 0, 260, name), RegistryStore::NO_MORE_ITEMS);
    RegistryStore::Key missing = nullptr;
    EXPECT_EQ(test.store.OpenKey(test.key, u"no\\such\\key", missing), RegistryStore::FILE_NOT_FOUND);
}

// The migration walks values with a 260-unit name buffer, terminator
// included, and reads at most 520 bytes of data.
TEST(Win32Registry, a260UnitNameEndsTheWalkAndDataPast520BytesDoesNotRead)
{
    TestKey test;
    ASSERT_EQ(test.Open(test.path), RegistryStore::SUCCESS);
    const std::u16string longest(259, u'a'), tooLong(260, u'b');
    for (const std::u16string& name : {longest, tooLong})
        ASSERT_EQ(test.store.SetTextValue(test.key, name, u"x"), RegistryStore::SUCCESS);
    // 518 bytes fit with or without a terminator the registry may add; 522 do not.
    ASSERT_EQ(test.store.SetTextValue(test.key, u"c", std::u16string(259, u'x')), RegistryStore::SUCCESS);
    ASSERT_EQ(test.store.SetTextValue(test.key, u"d", std::u16string(261, u'x')), RegistryStore::SUCCESS);

    // Where a walk without the limit meets the long name, the limited one ends.
    std::u16string name;
    unsigned long longAt = 0;
    while (test.store.EnumValue(test.key, longAt, 261, name) == RegistryStore::SUCCESS && name != tooLong)
        ++longAt;
    ASSERT_EQ(name, tooLong);
    for (unsigned long index = 0; index < longAt; ++index)
    {
        EXPECT_EQ(test.store.EnumValue(test.key, index, 260, name), RegistryStore::SUCCESS);
        EXPECT_NE(name, tooLong);
    }
    EXPECT_EQ(test.store.EnumValue(test.key, longAt, 260, name), RegistryStore::MORE_DATA);

    std::vector<unsigned char> data;
    EXPECT_EQ(test.store.QueryValue(test.key, u"c", 520, data), RegistryStore::SUCCESS);
    EXPECT_GE(data.size(), 518u);
    EXPECT_EQ(test.store.QueryValue(test.key, u"d", 520, data), RegistryStore::MORE_DATA);
    EXPECT_TRUE(data.empty());
}

// ---------------------------------------------------------------- named mutex

// Only a real holder counts: an object of another kind under a name makes
// the name unusable, never "held".
TEST(Win32NamedMutex, aSecondCreateMutexReportsThatItExistsAndTheCheckSeesOnlyAHolder)
{
    const std::string name = UniqueName("mutex");
    auto holder = std::make_unique<NamedMutex>(name);
    ASSERT_TRUE(holder->IsHeld());
    const HANDLE second = ::CreateMutexW(nullptr, FALSE, Wide(name).c_str());
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_NE(second, nullptr);
    holder.reset();
    EXPECT_TRUE(NamedMutex::IsHeldByAnyone(name)) << "the second handle holds it now";
    EXPECT_EQ(NamedMutex(name, NamedMutex::Mode::HoldIfFree).GetOutcome(), NamedMutex::Outcome::HeldByOther);
    ::CloseHandle(second);
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone(name));

    const std::string other = UniqueName("planted");
    const HANDLE planted = ::CreateEventW(nullptr, TRUE, FALSE, Wide(other).c_str());
    ASSERT_NE(planted, nullptr);
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone(other));
    const NamedMutex mutex(other, NamedMutex::Mode::HoldIfFree);
    EXPECT_EQ(mutex.GetOutcome(), NamedMutex::Outcome::Failed);
    EXPECT_EQ(mutex.Error(), ERROR_INVALID_HANDLE);
    ::CloseHandle(planted);
    EXPECT_EQ(NamedMutex::LockFilePath(other), "");
}

// ---------------------------------------------------------------- command line

TEST(Win32CommandLine, argumentsArriveAsUtf8ExactlyAsCommandLineToArgvWSplitsThem)
{
    struct Case
    {
        std::wstring tail;
        Strings expected;
    } const cases[] = {
        {L"a\\\\b \"c d\" e\\\"f \"g\\\\\" h\\\\\\\"i \"\" x\"y\"z",
         {"a\\\\b", "c d", "e\"f", "g\\", "h\\\"i", "", "xyz"}},
        {L"\x041F\x0440\x0438\x0432\x0435\x0442 \"\x6F22\x5B57 \xD83D\xDE00\" C:\\dir\\ \"C:\\Program "
         L"Files\\\\\"",
         {"Привет", "漢字 \xF0\x9F\x98\x80", "C:\\dir\\", "C:\\Program Files\\"}},
        {L"\tq\t \"tab\there\"", {"q", "tab\there"}},
        {L"lone\xD800half", {"lone\xEF\xBF\xBDhalf"}},
    };
    for (const Case& test : cases)
    {
        EXPECT_EQ(SplitHere(test.tail), test.expected) << test.expected.front();
        EXPECT_EQ(ArgumentsSeenFor(test.tail), test.expected) << test.expected.front();
    }
}

// ---------------------------------------------------------------- environment

TEST(Win32Environment, theCRuntimeSeesWhatIsSetAsQtReadsItThere)
{
    const std::string name = "KAVREL_PLATFORM_TEST_RUNTIME";
    Platform::SetEnvironmentVariable(name, "Привет");
    const wchar_t* seen = ::_wgetenv(Wide(name).c_str());
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(std::wstring(seen), Wide("Привет"));
    Platform::SetEnvironmentVariable(name, "");
    EXPECT_EQ(::_wgetenv(Wide(name).c_str()), nullptr);
    EXPECT_EQ(Platform::GetEnvironmentVariable(name), std::nullopt);
}

// ---------------------------------------------------------------- starting programs

// What CheckRunnedInstaller does on Windows: the script beside the program
// is opened by the shell's script host; one planted in the current folder is
// not. The shell resolves a bare name against the current folder; the
// starter hands it nothing but absolute paths of existing files.
TEST(Win32ProcessStarter, theInstallersScriptBesideTheProgramIsOpenedNeverAPathTheCurrentFolderCouldDecide)
{
    const std::string folder = FreshFolder("installer");
    auto script = [&](const std::string& marker)
    {
        return "Set f = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(\"" + folder + "\\" +
               marker + "\", True)\r\nf.Write \"ran\"\r\nf.Close\r\n";
    };
    const std::string beside = Platform::GetApplicationFilePath("InstallerMessage.vbs");
    WriteFile(beside, script("beside"));
    WriteFile(folder + "/InstallerMessage.vbs", script("planted"));
    const fs::path previous = fs::current_path();
    fs::current_path(fs::u8path(folder));
    const std::string drive = folder.substr(0, 2);
    for (const std::string& path :
         {"InstallerMessage.vbs"s, ".\\InstallerMessage.vbs"s, drive + "InstallerMessage.vbs",
          folder.substr(2) + "\\InstallerMessage.vbs"})
        EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument(path).started) << path;
    // Nor is a program looked up there.
    fs::copy_file(fs::u8path(HelperPath()), fs::u8path(folder + "/planted-helper.exe"));
    EXPECT_FALSE(Platform::GetProcessStarter().StartDetached({"planted-helper", "wait"}).started);
    const auto opened = Platform::GetProcessStarter().OpenDocument(beside);
    fs::current_path(previous);
    ASSERT_TRUE(opened.started);
    EXPECT_EQ(Platform::WaitForAny({opened.handle}, 20000), 0) << "the script host ended";
    Platform::CloseProcessHandle(opened.handle);
    fs::remove(fs::u8path(beside));
    EXPECT_EQ(ReadFile(folder + "/beside"), "ran");
    EXPECT_FALSE(fs::exists(fs::u8path(folder + "/planted")));
}

// ---------------------------------------------------------------- windows

TEST(Win32Windows, gestureCallsReachTheWindowSystem)
{
    Windows windows(false);
    ASSERT_NE(windows.top, nullptr) << "the suite needs a display (Xvfb under Wine)";
    ASSERT_NE(windows.child, nullptr);
    const Platform::GestureApi& api = Platform::GetGestureApi();
    EXPECT_EQ(api.getParent(windows.child), windows.top);
    EXPECT_EQ(api.getParent(windows.top), nullptr);
    int x = 300, y = 250;
    ASSERT_TRUE(api.screenToClient(windows.top, x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(200, 50));
    EXPECT_EQ(api.defWindowProc(windows.child, WM_GETTEXTLENGTH, 0, 0), 5) << "\"child\"";
    Platform::GestureInfoRecord info;
    EXPECT_FALSE(api.getGestureInfo(0x1234, info)) << "no such gesture";
}

TEST(Win32Windows, activationBringsTheMastersWindowToTheFront)
{
    Windows windows(true);
    ASSERT_NE(windows.top, nullptr) << "the suite needs a display (Xvfb under Wine)";
    ASSERT_TRUE(Platform::ActivateWindow(Windows::Id(windows.other)));
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == windows.other; }));
    ASSERT_TRUE(Platform::ActivateWindow(Windows::Id(windows.top)));
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == windows.top; }));
    const unsigned long gone = Windows::Id(windows.child);
    ::DestroyWindow(windows.child);
    windows.child = nullptr;
    EXPECT_FALSE(Platform::ActivateWindow(gone));
}
