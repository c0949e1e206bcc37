#pragma once

#include <Kavrel/App/Application/IIPCClient.h>

#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

// The master's side of the focus hand-back, kept by the product (the library
// has only the slave's): it answers a slave's "applicationClosed" with
// "yes=<window id>" so that the slave can bring that window to the front.
// Messages are read on a thread of its own and announced on the object's
// thread.
class FocusMaster : public QObject, public Kavrel::App::IIPCClient
{
    Q_OBJECT
public:
    // windowId: the native id of the window to bring back (QWidget::winId).
    explicit FocusMaster(unsigned long windowId, QObject* parent = nullptr);
    ~FocusMaster() override;

    void SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel) override;
    void SetAppHandler(int handle) override;
    void ChannelClosed() override;

    // The slave's process handle, -1 before it started.
    int SlaveHandle() const { return slaveHandle; }

Q_SIGNALS:
    // A message came from the slave, and what was answered ("" for none).
    void MessageReceived(const QString& message, const QString& answer);
    // The slave's side of the channel is gone (it closed, or died).
    void SlaveGone(const QString& reason);

private:
    void Serve();

    const unsigned long window;
    boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel;
    int slaveHandle = -1;
    std::thread reader;
};
