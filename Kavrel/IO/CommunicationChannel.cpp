#include <Kavrel/IO/CommunicationChannel.h>
#include <Kavrel/IO/IOException.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <string>
#include <vector>

namespace Kavrel::Core
{

namespace
{
constexpr size_t HEADER_BYTES = 8;
constexpr size_t SKIP_CHUNK = 4096;
constexpr size_t READ_AHEAD_BYTES = 4096;

class Channel final : public IDataChannel
{
public:
    Channel(boost::intrusive_ptr<IByteDataInput> in, boost::intrusive_ptr<IByteDataOutput> out, bool locked)
        : input(std::move(in)), output(std::move(out)), threadSafe(locked)
    {
        if (!input || !output)
            throw IOException("A channel needs both an input and an output");
    }

    void Write(const void* data, std::int64_t size) override
    {
        if (size < 0 || size > MAX_MESSAGE_BYTES)
            throw IOException("A message of " + std::to_string(size) + " bytes cannot be sent");
        // Header and body go out in one piece, so concurrent writers never
        // interleave inside a message.
        std::vector<unsigned char> frame(HEADER_BYTES + static_cast<size_t>(size));
        for (size_t i = 0; i < HEADER_BYTES; ++i)
            frame[i] = static_cast<unsigned char>(static_cast<std::uint64_t>(size) >> (8 * i));
        if (size > 0)
            std::copy_n(static_cast<const unsigned char*>(data), size, frame.begin() + HEADER_BYTES);
        const auto lock = Lock(writeMutex);
        output->Write(frame.data(), frame.size());
    }

    std::int64_t GetNextMessageLength() override
    {
        const auto lock = Lock(readMutex);
        return NextMessage();
    }

    void Read(void* buffer, std::int64_t size) override
    {
        const auto lock = Lock(readMutex);
        if (!inMessage)
            NextMessage();
        if (size < 0 || size > remaining)
            throw IOException("Reading " + std::to_string(size) + " bytes of a message with " +
                              std::to_string(remaining) + " left");
        ReadExactly(buffer, static_cast<size_t>(size));
        remaining -= size;
        inMessage = remaining > 0;
    }

    void Close() override
    {
        if (auto* in = dynamic_cast<IByteDataInputEx*>(input.get()))
            in->Close();
        if (auto* out = dynamic_cast<IByteDataOutputEx*>(output.get()))
            out->Close();
    }

    void SetTimeout(int milliseconds) override
    {
        if (auto* in = dynamic_cast<IByteDataInputEx*>(input.get()))
            in->SetTimeout(milliseconds);
        if (auto* out = dynamic_cast<IByteDataOutputEx*>(output.get()))
            out->SetTimeout(milliseconds);
    }

private:
    std::unique_lock<std::mutex> Lock(std::mutex& mutex) const
    {
        return threadSafe ? std::unique_lock<std::mutex>(mutex) : std::unique_lock<std::mutex>();
    }

    // Called with the read lock held.
    std::int64_t NextMessage()
    {
        if (broken)
            throw IOException("The channel is out of step after a bad message");
        while (remaining > 0) // the rest of the last message nobody read
        {
            unsigned char skipped[SKIP_CHUNK];
            const size_t count = static_cast<size_t>(std::min<std::int64_t>(remaining, SKIP_CHUNK));
            ReadExactly(skipped, count);
            remaining -= static_cast<std::int64_t>(count);
        }
        inMessage = false;
        unsigned char header[HEADER_BYTES];
        ReadExactly(header, HEADER_BYTES);
        std::uint64_t length = 0;
        for (size_t i = 0; i < HEADER_BYTES; ++i)
            length |= static_cast<std::uint64_t>(header[i]) << (8 * i);
        if (length > static_cast<std::uint64_t>(MAX_MESSAGE_BYTES))
        {
            broken = true;
            throw IOException("A message announced " + std::to_string(length) + " bytes, more than " +
                              std::to_string(MAX_MESSAGE_BYTES));
        }
        remaining = static_cast<std::int64_t>(length);
        inMessage = true;
        return remaining;
    }

    // Serves from what an earlier read brought; each read from the stream
    // takes what is there, so a short message arrives with its header in one.
    void ReadExactly(void* buffer, size_t size)
    {
        auto* bytes = static_cast<unsigned char*>(buffer);
        size_t done = std::min(size, aheadEnd - aheadBegin);
        std::copy_n(ahead.begin() + static_cast<std::ptrdiff_t>(aheadBegin), done, bytes);
        aheadBegin += done;
        while (done < size)
        {
            const size_t wanted = size - done;
            size_t got = 0;
            if (wanted >= ahead.size()) // large: straight into place
                got = input->Read(bytes + done, wanted);
            else
            {
                const size_t filled = input->Read(ahead.data(), ahead.size());
                got = std::min(filled, wanted);
                std::copy_n(ahead.begin(), got, bytes + done);
                aheadBegin = got;
                aheadEnd = filled;
            }
            if (got == 0)
            {
                // Ended inside a frame: what follows could not be trusted.
                broken = broken || done > 0 || inMessage;
                throw IOException(done > 0 || inMessage ? "The peer went away in the middle of a message"
                                                        : "The peer went away");
            }
            done += got;
        }
    }

    boost::intrusive_ptr<IByteDataInput> input;
    boost::intrusive_ptr<IByteDataOutput> output;
    const bool threadSafe;
    std::mutex readMutex, writeMutex;
    std::array<unsigned char, READ_AHEAD_BYTES> ahead{};
    size_t aheadBegin = 0, aheadEnd = 0;
    std::int64_t remaining = 0;
    bool inMessage = false;
    bool broken = false;
};
} // namespace

DataChannelPtr CommunicationChannel::Create(boost::intrusive_ptr<IByteDataInput> input,
                                            boost::intrusive_ptr<IByteDataOutput> output, bool threadSafe)
{
    return new Channel(std::move(input), std::move(output), threadSafe);
}

} // namespace Kavrel::Core
