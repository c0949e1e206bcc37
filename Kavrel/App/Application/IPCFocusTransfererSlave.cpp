#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>
#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <QCoreApplication>
#include <QFuture>
#include <QFutureWatcher>
#include <QStringList>
#include <QtConcurrent>

#include <glog/logging.h>

#include <atomic>
#include <vector>

namespace Kavrel::App
{

const QString IPCFocusTransfererSlave::APPLICATION_CLOSE_MESSAGE = QStringLiteral("applicationClosed");
const QString IPCFocusTransfererSlave::RETURN_YES = QStringLiteral("yes");
const QString IPCFocusTransfererSlave::RETURN_NO = QStringLiteral("no");

class KAVRELAPPLICATION_NO_EXPORT IPCFocusTransfererSlave::Private
{
public:
    mutable std::atomic<unsigned int> references{0};
    Kavrel::Core::DataChannelPtr channel;
    int masterHandle = -1;
    // Handles replaced while a watcher may still wait on them.
    std::vector<int> retiredHandles;
    Kavrel::Platform::Event stop;
    QFuture<bool> watcherFuture;
    QFutureWatcher<bool> futureWatcher;
    bool masterAlive = false;
    bool connected = false;
    bool focusGiven = false;
};

namespace
{
IPCFocusTransfererSlave* theInstance = nullptr;
} // namespace

// The pool's threads are waited for when the application object goes,
// before static objects are: the watcher must have ended by then.
void IPCFocusTransfererSlave::StopWatchingAtExit()
{
    if (theInstance)
        theInstance->StopWatching();
}

IPCFocusTransfererSlave& IPCFocusTransfererSlave::Instance()
{
    static IPCFocusTransfererSlave* const instance = []
    {
        static IPCFocusTransfererSlave object;
        object.AddRef(); // its own reference: balanced calls never destroy it
        theInstance = &object;
        qAddPostRoutine(&IPCFocusTransfererSlave::StopWatchingAtExit);
        return &object;
    }();
    if (!instance->d->connected)
        IPCManager::SetUpSlaveClient(*instance, false);
    return *instance;
}

IPCFocusTransfererSlave::IPCFocusTransfererSlave() : d(std::make_unique<Private>())
{
    connect(&d->futureWatcher, &QFutureWatcherBase::finished, this, &IPCFocusTransfererSlave::OnMasterDied);
}

IPCFocusTransfererSlave::~IPCFocusTransfererSlave()
{
    StopWatching();
    d->channel.reset();
    Kavrel::Platform::CloseProcessHandle(d->masterHandle);
    for (const int handle : d->retiredHandles)
        Kavrel::Platform::CloseProcessHandle(handle);
    if (theInstance == this)
        theInstance = nullptr;
}

void IPCFocusTransfererSlave::StopWatching()
{
    d->stop.Set();
    if (d->watcherFuture.isRunning())
        d->watcherFuture.cancel();
    d->watcherFuture.waitForFinished();
}

void IPCFocusTransfererSlave::SetCommunicationChannel(
    boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel)
{
    d->channel = std::move(channel);
    d->masterAlive = true;
    d->connected = true;
}

void IPCFocusTransfererSlave::SetAppHandler(int handle)
{
    if (d->masterHandle >= 0)
        d->retiredHandles.push_back(d->masterHandle);
    d->masterHandle = handle;
    const QFuture<bool> future =
        QtConcurrent::run(this, &IPCFocusTransfererSlave::RunningProcessesWatcher, handle);
    d->watcherFuture = future;
    if (d->futureWatcher.future() != future)
        d->futureWatcher.setFuture(future);
}

void IPCFocusTransfererSlave::ChannelClosed() { d->channel.reset(); }

bool IPCFocusTransfererSlave::RunningProcessesWatcher(int master)
{
    // Only the two handles are touched here: the master's end, or our stop.
    if (master < 0)
        return false;
    Kavrel::Platform::WaitForAny({master, d->stop.Handle()}, -1);
    return false;
}

void IPCFocusTransfererSlave::GiveFocusToParent()
{
    if (d->focusGiven)
        return;
    d->focusGiven = true;
    if (!d->channel || !d->masterAlive)
        return;
    try
    {
        // A master that stays silent must not hold the closing slave forever.
        d->channel->SetTimeout(REPLY_TIMEOUT_MS);
        const QByteArray message = APPLICATION_CLOSE_MESSAGE.toLatin1();
        d->channel->Write(message.constData(), message.size());
        const auto length = static_cast<std::uint32_t>(d->channel->GetNextMessageLength());
        std::vector<char> reply(static_cast<size_t>(length) + 1, '\0');
        const bool masterGone = Kavrel::Platform::WaitForAny({d->masterHandle}, 0) == 0;
        if (d->masterAlive && !masterGone)
        {
            d->channel->Read(reply.data(), length);
            const QStringList parts = QString::fromUtf8(reply.data()).split(QLatin1Char('='));
            if (parts.value(0) == RETURN_YES)
                Kavrel::Platform::ActivateWindow(parts.value(1).toULong(nullptr, 10));
        }
    }
    catch (const Kavrel::Core::IOException& error)
    {
        LOG(WARNING) << "The focus could not be handed back to the master: " << error.what();
    }
    d->stop.Set();
}

bool IPCFocusTransfererSlave::IsConnected() const { return d->connected; }

bool IPCFocusTransfererSlave::IsMasterAlive() const { return d->masterAlive; }

unsigned int IPCFocusTransfererSlave::AddRef() const { return ++d->references; }

unsigned int IPCFocusTransfererSlave::GetRefCount() const { return d->references; }

unsigned int IPCFocusTransfererSlave::Release() const
{
    const unsigned int left = --d->references;
    if (left == 0)
        delete this;
    return left;
}

void IPCFocusTransfererSlave::OnMasterDied() { d->masterAlive = false; }

} // namespace Kavrel::App
