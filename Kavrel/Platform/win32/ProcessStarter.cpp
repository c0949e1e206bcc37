#include <Kavrel/Platform/ProcessStarter.h>

#include "Win32.h"

#include <shellapi.h>

namespace Kavrel::Platform
{

namespace
{
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:\..." or "\\server\...": "C:file" and "\file" depend on the current
// folder of a drive.
bool IsAbsolute(const std::wstring& path)
{
    return (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]) &&
            ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'))) ||
           (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t* name = nullptr;
    std::wstring full(32768, L'\0');
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), &name);
    return length > 0 && length < full.size() ? full.substr(0, length) : std::wstring();
}

DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Only program images are started: the shell would open any other file
// with whatever its type is associated with.
bool IsProgram(const std::wstring& path)
{
    DWORD type = 0;
    return IsFile(path) && ::GetBinaryTypeW(path.c_str(), &type);
}

// Never the current folder, which the shell and CreateProcess would search
// first: a name is looked up in the absolute folders of PATH only, with
// ".exe" added when it has no extension.
std::wstring ResolveProgram(const std::wstring& program)
{
    if (program.find_first_of(L"\\/:") != std::wstring::npos)
        return FullPath(program);
    std::wstring name = program;
    if (name.find(L'.') == std::wstring::npos)
        name += L".exe";
    const std::wstring path = Win32::GetVariable(L"PATH").value_or(std::wstring());
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find(L';', start);
        if (end == std::wstring::npos)
            end = path.size();
        std::wstring folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (!IsAbsolute(folder))
            continue;
        if (!IsSeparator(folder.back()))
            folder += L'\\';
        if (IsProgram(folder + name))
            return folder + name;
    }
    return {};
}

// The inverse of CommandLineToArgvW: backslashes are literal except before
// a quote, where each is doubled, and the quote itself is escaped.
std::wstring Quote(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument)
    {
        if (c == L'\\')
        {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

StartedProcess Execute(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The process handle back; finished before the call returns; no dialog.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    StartedProcess result;
    if (!::ShellExecuteExW(&info))
        return result;
    result.started = true;
    // A document handed to a running program (DDE) has no process of its own.
    if (info.hProcess)
    {
        result.pid = ::GetProcessId(info.hProcess);
        result.handle = Win32::FromHandle(info.hProcess);
    }
    return result;
}
} // namespace

StartedProcess ProcessStarter::StartDetachedIn(const std::vector<std::string>& arguments,
                                               const std::string& workingFolder)
{
    if (arguments.empty())
        return {};
    const std::wstring program = ResolveProgram(Win32::Wide(arguments[0]));
    if (program.empty() || !IsProgram(program))
        return {};
    std::wstring folder;
    if (!workingFolder.empty())
    {
        folder = FullPath(Win32::Wide(workingFolder));
        const DWORD attributes = Attributes(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
    }
    std::wstring parameters;
    for (size_t i = 1; i < arguments.size(); ++i)
        parameters += (i > 1 ? L" " : L"") + Quote(Win32::Wide(arguments[i]));
    return Execute(program, parameters, folder);
}

// The shell opens the file with the program its type is associated with
// (for the installer's message script, the script host). Only an existing
// file given by an absolute path is handed over: the shell would resolve a
// bare name against the current folder.
StartedProcess ProcessStarter::OpenDocument(const std::string& path)
{
    const std::wstring file = Win32::Wide(path);
    if (!IsAbsolute(file) || !IsFile(file))
        return {};
    return Execute(file, std::wstring(), std::wstring());
}

void CloseProcessHandle(int handle)
{
    if (handle >= 0)
        ::CloseHandle(Win32::ToHandle(handle));
}

} // namespace Kavrel::Platform
