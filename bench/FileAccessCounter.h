#pragma once

#include <string>

namespace Kavrel::Bench
{

// File-system calls that named a path inside the watched folder.
struct FileAccessCounts
{
    long stats = 0;  // stat, stat64, lstat64, statx
    long opens = 0;  // open, open64
    long others = 0; // access, rename, renameat2

    long Total() const { return stats + opens + others; }
};

// Counts, from now on, this process's C library file calls on paths inside
// `folder` (an absolute path). QSettings reaches its file only through these
// calls, so a count of zero means the settings file was neither checked,
// read nor written. Not meant for concurrent start/stop from several threads.
void StartCountingFileAccess(const std::string& folder);
FileAccessCounts StopCountingFileAccess();

} // namespace Kavrel::Bench
