#pragma once

#include <Kavrel/App/Application/IFocusTransferer.h>
#include <Kavrel/App/Application/IIPCClient.h>
#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QObject>
#include <QString>

#include <memory>

namespace Kavrel::App
{

/// The slave side of handing the keyboard focus back: when the slave closes,
/// GiveFocusToParent() tells the master, which answers with its window, and
/// that window is brought to the front. It watches the master process and
/// knows, without asking, when the master has gone.
class KAVRELAPPLICATION_EXPORT IPCFocusTransfererSlave : public QObject,
                                                         public IIPCClient,
                                                         public IFocusTransferer
{
    Q_OBJECT
public:
    /// The slave's message, and the first part of the master's answer
    /// ("yes=<window id>" or "no=...").
    static const QString APPLICATION_CLOSE_MESSAGE;
    static const QString RETURN_YES;
    static const QString RETURN_NO;
    /// How long GiveFocusToParent waits for the master's answer.
    static constexpr int REPLY_TIMEOUT_MS = 5000;

    /// The process's one transferer. Until it is connected, every call first
    /// tries to connect it from the command line ("/MasterPipeId=",
    /// "/ProcessId=").
    static IPCFocusTransfererSlave& Instance();

    ~IPCFocusTransfererSlave() override;

    void SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel) override;
    /// Takes the master's process handle and starts watching it.
    void SetAppHandler(int handle) override;
    void ChannelClosed() override;

    /// Once per process: sends the close message, reads the master's answer
    /// and, when it is yes, activates the master's window. Does nothing
    /// without a channel or a live master.
    void GiveFocusToParent() override;

    bool IsConnected() const;
    bool IsMasterAlive() const;

    virtual unsigned int AddRef() const;
    virtual unsigned int GetRefCount() const;
    /// Destroys the object when the count reaches zero; the instance holds a
    /// reference of its own, so balanced calls never do.
    virtual unsigned int Release() const;

protected:
    IPCFocusTransfererSlave();

protected Q_SLOTS:
    void OnMasterDied();

private:
    Q_DISABLE_COPY(IPCFocusTransfererSlave)
    /// Runs on the global thread pool until the master ends or we stop it.
    bool RunningProcessesWatcher(int masterHandle);
    /// Ends the watcher and waits for it.
    void StopWatching();
    static void StopWatchingAtExit();

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
