#include "FocusMaster.h"

#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>
#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <glog/logging.h>

#include <vector>

using Kavrel::App::IPCFocusTransfererSlave;

FocusMaster::FocusMaster(unsigned long windowId, QObject* parent) : QObject(parent), window(windowId) {}

FocusMaster::~FocusMaster()
{
    ChannelClosed();
    Kavrel::Platform::CloseProcessHandle(slaveHandle);
}

void FocusMaster::SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> newChannel)
{
    ChannelClosed();
    channel = std::move(newChannel);
    reader = std::thread(&FocusMaster::Serve, this);
}

void FocusMaster::SetAppHandler(int handle)
{
    Kavrel::Platform::CloseProcessHandle(slaveHandle);
    slaveHandle = handle;
}

void FocusMaster::ChannelClosed()
{
    if (channel)
        channel->Close(); // ends the reader's wait
    if (reader.joinable())
        reader.join();
    channel.reset();
}

void FocusMaster::Serve()
{
    try
    {
        while (true)
        {
            const auto length = channel->GetNextMessageLength();
            std::vector<char> bytes(static_cast<size_t>(length));
            channel->Read(bytes.data(), length);
            const QString message = QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
            QString answer;
            if (message == IPCFocusTransfererSlave::APPLICATION_CLOSE_MESSAGE)
            {
                answer = IPCFocusTransfererSlave::RETURN_YES + QLatin1Char('=') + QString::number(window);
                const QByteArray reply = answer.toUtf8();
                channel->Write(reply.constData(), reply.size());
            }
            LOG(INFO) << "The helper said \"" << message.toStdString() << "\"; answered \""
                      << answer.toStdString() << "\"";
            Q_EMIT MessageReceived(message, answer);
        }
    }
    catch (const Kavrel::Core::IOException& error)
    {
        LOG(INFO) << "The helper's channel ended: " << error.what();
        Q_EMIT SlaveGone(QString::fromUtf8(error.what()));
    }
}
