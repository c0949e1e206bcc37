#include "CrashSignals.h"
#include "SmallFile.h"

#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/SessionHistory.h>
#include <Kavrel/Util/Process.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <glog/logging.h>

#include <algorithm>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace Kavrel::App
{

namespace
{
// A record: the ending (16 bytes, written in place by the signal
// handlers), whether start-up was over (8 bytes), when it began (24 bytes).
constexpr qint64 STATE_BYTES = 16;
constexpr qint64 STARTUP_BYTES = 8;
constexpr qint64 RECORD_BYTES = 48;
const char RUNNING[] = "running";
const char QUIT[] = "quit";
const char EARLY[] = "early";
const char LIVED[] = "lived";
// Far more records than instances ever run at once; the rest are ignored.
constexpr int MAX_RECORDS = 256;

QByteArray Field(const char* text, qint64 size)
{
    QByteArray field(text);
    field = field.leftJustified(static_cast<int>(size) - 1, ' ', true);
    return field + '\n';
}

struct Ended
{
    qint64 started = 0;
    SessionHistory::SessionEnd end;
    bool pastStartup = false;
};

// Unknown when the record does not read: the program must not trust it.
Ended Parse(const QByteArray& record)
{
    Ended ended;
    ended.end.ending = SessionHistory::Unknown;
    if (record.size() != RECORD_BYTES)
        return ended;
    const QList<QByteArray> state = record.left(STATE_BYTES).trimmed().split(' ');
    ended.pastStartup = record.mid(STATE_BYTES, STARTUP_BYTES).trimmed() == LIVED;
    bool timeRead = false;
    ended.started = record.mid(STATE_BYTES + STARTUP_BYTES).trimmed().toLongLong(&timeRead);
    if (!timeRead)
        return ended;
    bool signalRead = false;
    const int signal = state.value(1).toInt(&signalRead);
    if (state.value(0) == QUIT && state.size() == 1)
        ended.end.ending = SessionHistory::NormalQuit;
    else if (state.value(0) == "crash" && signalRead && signal > 0)
        ended.end = {SessionHistory::Crash, signal};
    else if (state.value(0) == "term" && signalRead && signal > 0)
        ended.end = {SessionHistory::TerminationRequest, signal};
    return ended;
}

QString ExecutableName() { return QFileInfo(QCoreApplication::applicationFilePath()).baseName(); }
} // namespace

class KAVRELAPPLICATION_NO_EXPORT SessionHistory::Private
{
public:
    QString folder;
    QString ownRecord;
    int fd = -1;
    SessionEnd previous;
    int streak = 0;
    bool terminated = false;

    bool Write(qint64 offset, const QByteArray& field)
    {
        if (fd < 0)
            return false;
        if (::pwrite(fd, field.constData(), static_cast<size_t>(field.size()), offset) == field.size())
            return true;
        if (!writeFailureLogged)
            LOG(ERROR) << "The session record [" << ownRecord.toStdString() << "] cannot be written";
        writeFailureLogged = true;
        return false;
    }
    bool writeFailureLogged = false;
};

QString SessionHistory::RecordFolder()
{
    return QFileInfo(CrashTracker::TrackerFilePath()).absolutePath() + QStringLiteral("/sessions");
}

SessionHistory::SessionHistory(int terminationEvent) : d(std::make_unique<Private>())
{
    d->folder = RecordFolder();
    QDir().mkpath(d->folder);
    const QString executable = ExecutableName();
    const QString streakFile = d->folder + QLatin1Char('/') + executable + QStringLiteral(".streak");
    QByteArray stored;
    if (SmallFile::Load(streakFile, 16, stored) == SmallFile::Read::Done)
        d->streak = std::clamp(stored.trimmed().toInt(), 0, 1000000);
    const int storedStreak = stored.isEmpty() ? -1 : d->streak;

    // The records of sessions that have ended, oldest first.
    std::vector<Ended> ended;
    // Names compared by hand: a name filter compiles a regular expression,
    // and loads the expression engine, at every start.
    const QString prefix = executable + QLatin1Char('.'), suffix = QStringLiteral(".session");
    QStringList records;
    for (QDirIterator entry(d->folder, QDir::Files); entry.hasNext();)
    {
        entry.next();
        const QString name = entry.fileName();
        if (name.size() >= prefix.size() + suffix.size() && name.startsWith(prefix) && name.endsWith(suffix))
            records << name;
    }
    records.sort();
    const QString program = QCoreApplication::applicationFilePath();
    for (const QString& name : records.mid(0, MAX_RECORDS))
    {
        const unsigned long pid = name.chopped(suffix.size()).section(QLatin1Char('.'), -1).toULong();
        if (Kavrel::Util::IsProcessRunning(pid, program))
            continue; // another instance, still running
        // One that cannot be read, or is too long, reads as an unknown ending.
        const QString path = d->folder + QLatin1Char('/') + name;
        QByteArray record;
        if (SmallFile::Load(path, RECORD_BYTES, record) != SmallFile::Read::Missing)
            ended.push_back(Parse(record));
        QFile::remove(path);
    }
    std::stable_sort(ended.begin(), ended.end(),
                     [](const Ended& a, const Ended& b) { return a.started < b.started; });
    for (const Ended& session : ended)
    {
        const bool bad = session.end.ending == Crash || session.end.ending == Unknown;
        d->streak = bad && !session.pastStartup ? d->streak + 1 : 0;
    }
    if (!ended.empty())
        d->previous = ended.back().end;
    if (d->streak != storedStreak)
        SmallFile::Replace(streakFile, QByteArray::number(d->streak) + '\n');

    // This session's record, open for the handlers to write its ending.
    d->ownRecord = d->folder + QLatin1Char('/') + executable + QLatin1Char('.') +
                   QString::number(Kavrel::Util::CurrentProcessId()) + QStringLiteral(".session");
    // Written whole below: an old record of this process id is not cut first.
    d->fd = SmallFile::OpenOwn(d->ownRecord, RECORD_BYTES);
    if (d->fd < 0)
        LOG(ERROR) << "The session record [" << d->ownRecord.toStdString()
                   << "] cannot be created: this session's ending will read as unknown";
    // An old record of this process id that could not be written over
    // would tell another session's ending: cut, it reads as unknown.
    if (!d->Write(0, Field(RUNNING, STATE_BYTES) + Field(EARLY, STARTUP_BYTES) +
                         Field(QByteArray::number(QDateTime::currentMSecsSinceEpoch()).constData(),
                               RECORD_BYTES - STATE_BYTES - STARTUP_BYTES)) &&
        d->fd >= 0)
        static_cast<void>(::ftruncate(d->fd, 0));
    CrashSignals::SetSessionRecord(d->fd);
    CrashSignals::InstallSessionHandlers(terminationEvent);
}

SessionHistory::~SessionHistory()
{
    CrashSignals::SetSessionRecord(-1);
    if (d->fd >= 0)
        ::close(d->fd);
}

SessionHistory::SessionEnd SessionHistory::PreviousSession() const { return d->previous; }

int SessionHistory::StartupCrashStreak() const { return d->streak; }

void SessionHistory::MarkPastStartup() { d->Write(STATE_BYTES, Field(LIVED, STARTUP_BYTES)); }

void SessionHistory::MarkQuit()
{
    if (d->fd < 0)
        return;
    char state[STATE_BYTES] = {0};
    if (::pread(d->fd, state, sizeof state, 0) == STATE_BYTES && std::strncmp(state, "term", 4) == 0)
        return; // asked to quit: the request is the ending
    d->Write(0, Field(QUIT, STATE_BYTES));
}

} // namespace Kavrel::App
