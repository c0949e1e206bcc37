#include <Kavrel/Util/CheckedSettingsFormat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cctype>
#include <iterator>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Kavrel::Util
{

namespace
{
// QSettings saves under a lock file "<file>.lock", which it locks (flock)
// and then writes its owner into; it takes a stale one away under a second
// such lock, "<file>.lock.rmlock", which is a lock file of its own with its
// own "<...>.rmlock", and so on. A process killed between making one and
// writing into it leaves an empty file that nobody holds, and the next save
// would wait until that is 30 s old. They are removed when the file is
// read, before any save, the deepest first: only while we lock them, and
// only if still the file at that name. Each level is made only when the one
// above is stale, so a few levels are all that killed savers leave.
constexpr int LOCK_LEVELS = 4;

void RemoveAbandonedLocks(const QString& settingsFile)
{
#ifndef Q_OS_WIN
    for (int level = LOCK_LEVELS - 1; level >= 0; --level)
    {
        const QByteArray path = QFile::encodeName(settingsFile + QStringLiteral(".lock") +
                                                  QStringLiteral(".rmlock").repeated(level));
        const int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held
        {
        }, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            held.st_size == 0 && ::lstat(path.constData(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino)
            ::unlink(path.constData());
        ::close(fd);
    }
#else
    Q_UNUSED(settingsFile)
#endif
}

// Qt decodes a value "@Variant(...)" (and the same spelled with escapes)
// with its binary stream operators, which trust the lengths inside: a
// damaged one makes QtGui allocate without bound and then crash, at every
// start. Our stores write no such values, so a value that would read as a
// variant is turned into the text it spells: its leading "@" is doubled,
// which Qt's reader takes back off. Values read as before: byte arrays and
// the other plain "@" forms, and text that merely starts with "@".
// The character an escape at `at` stands for, as Qt's reader takes it:
// "\x" and any number of hex digits, or a backslash and octal digits,
// keeping the low 16 bits; -1 for any other escape.
int EscapedAt(const QByteArray& bytes, int at, int* length)
{
    const bool hex = at + 1 < bytes.size() && bytes[at + 1] == 'x';
    const int first = at + (hex ? 2 : 1);
    int end = first;
    unsigned value = 0;
    for (; end < bytes.size(); ++end)
    {
        const char c = bytes[end];
        int digit = -1;
        if (c >= '0' && c <= (hex ? '9' : '7'))
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        value = (value * (hex ? 16 : 8) + static_cast<unsigned>(digit)) & 0xFFFF;
    }
    *length = end - at;
    return end > first ? static_cast<int>(value) : -1;
}

QByteArray WithoutVariants(const QByteArray& bytes)
{
    static const char* const plain[] = {"@ByteArray(", "@@",         "@Rect(",    "@Size(",
                                        "@Point(",     "@DateTime(", "@Invalid()"};
    // Where each value of a line, or each item of a list, begins: after the
    // first '=', and after a ',' outside quotes; spaces and an opening
    // quote come before it.
    // Built by appending, in one pass: a file of many such values must not
    // cost a move of the rest of it for each.
    QByteArray out;
    int copied = 0;
    const auto edit = [&](int at, int length, const char* replacement)
    {
        out += bytes.mid(copied, at - copied);
        out += replacement;
        copied = at + length;
    };
    bool lineStart = true, inValue = false, inQuotes = false, atStart = false;
    for (int i = 0; i < bytes.size(); ++i)
    {
        const char c = bytes[i];
        if (c == '\n' || c == '\r')
        {
            lineStart = true;
            inValue = inQuotes = atStart = false;
            continue;
        }
        if (lineStart && (c == ' ' || c == '\t'))
            continue;
        const bool first = lineStart;
        lineStart = false;
        if (!inValue)
        {
            if (first && (c == '[' || c == ';' || c == '#'))
            {
                // A section or a comment: no value on this line.
                while (i + 1 < bytes.size() && bytes[i + 1] != '\n' && bytes[i + 1] != '\r')
                    ++i;
            }
            else if (c == '=')
                inValue = atStart = true;
            continue;
        }
        if (atStart && (c == ' ' || c == '\t'))
            continue;
        if (atStart && c == '"' && !inQuotes)
        {
            inQuotes = true;
            continue;
        }
        if (atStart)
        {
            atStart = false;
            int length = 0;
            if (c == '@')
            {
                const QByteArray rest = bytes.mid(i, 12);
                if (std::none_of(std::begin(plain), std::end(plain),
                                 [&](const char* form) { return rest.startsWith(form); }))
                    edit(i, 0, "@");
                continue;
            }
            if (c == '\\' && EscapedAt(bytes, i, &length) == '@')
            {
                edit(i, length, "@@");
                i += length - 1;
                continue;
            }
        }
        if (c == '\\')
            ++i; // an escaped character separates nothing
        else if (c == '"')
            inQuotes = !inQuotes;
        else if (c == ',' && !inQuotes)
            atStart = true;
    }
    if (copied == 0)
        return bytes;
    return out + bytes.mid(copied);
}

// The temporary copies are thrown away at once, yet QSettings waits for the
// disk twice to write one (its lock file and the copy). Where the user has
// not chosen a temporary folder, they go first to the memory-backed
// /dev/shm, which makes those waits free; to the temporary folder when that
// fails (it may be full) or is not there.
const QStringList& CopyTemplates()
{
    static const QStringList templates = []
    {
        const QString name = QStringLiteral("/kavrel-settings-XXXXXX");
        QStringList folders;
        const QFileInfo memory(QStringLiteral("/dev/shm"));
        if (qEnvironmentVariableIsEmpty("TMPDIR") && memory.isDir() && memory.isWritable())
            folders << memory.absoluteFilePath() + name;
        return folders << QDir::tempPath() + name;
    }();
    return templates;
}

bool ReadIni(QIODevice& device, QSettings::SettingsMap& map)
{
    if (const auto* file = qobject_cast<QFile*>(&device))
        RemoveAbandonedLocks(file->fileName());
    return ReadCheckedIni(device.readAll(), map);
}

bool WriteIni(QIODevice& device, const QSettings::SettingsMap& map)
{
    QByteArray bytes;
    if (!WriteCheckedIni(map, bytes))
        return false;
    // Written through now, not when the file is closed: an error then would
    // go unnoticed and the file be replaced all the same.
    auto* file = qobject_cast<QFileDevice*>(&device);
    return device.write(bytes) == bytes.size() && (!file || file->flush());
}
} // namespace

// Qt's INI text, made and read by QSettings itself on a temporary file: its
// parser and writer are not reachable any other way.
bool ReadCheckedIni(const QByteArray& text, QSettings::SettingsMap& map)
{
    for (const QString& place : CopyTemplates())
    {
        QTemporaryFile copy(place);
        if (!copy.open() || copy.write(WithoutVariants(text)) < 0 || !copy.flush())
            continue;
        // What a damaged file still holds is read, as Qt's INI reading does,
        // but only keys in the form QSettings reaches keys by (not empty, no
        // slash at either end, none doubled): any other would be listed, yet
        // could never be read, changed or removed (its value cannot even be
        // read here).
        const QSettings ini(copy.fileName(), QSettings::IniFormat);
        for (const QString& key : ini.allKeys())
            if (!key.isEmpty() &&
                key == key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/')))
                map.insert(key, ini.value(key));
        return true;
    }
    return false;
}

bool WriteCheckedIni(const QSettings::SettingsMap& map, QByteArray& text)
{
    for (const QString& place : CopyTemplates())
    {
        QTemporaryFile copy(place);
        if (!copy.open())
            continue;
        {
            QSettings ini(copy.fileName(), QSettings::IniFormat);
            for (auto entry = map.constBegin(); entry != map.constEnd(); ++entry)
                ini.setValue(entry.key(), entry.value());
            ini.sync();
            if (ini.status() != QSettings::NoError)
                continue;
        }
        QFile written(copy.fileName());
        if (!written.open(QIODevice::ReadOnly))
            continue;
        text = written.readAll();
        return true;
    }
    return false;
}

QSettings::Format CheckedSettingsFormat(QSettings::Format format)
{
#ifdef Q_OS_WIN
    if (format != QSettings::IniFormat)
        return format;
#else
    if (format != QSettings::IniFormat && format != QSettings::NativeFormat)
        return format;
#endif
    static const QSettings::Format checked =
        QSettings::registerFormat(QStringLiteral("conf"), &ReadIni, &WriteIni);
    return checked == QSettings::InvalidFormat ? format : checked;
}

} // namespace Kavrel::Util
