// The reading half of the fuzz targets of the IPC channel: the input's
// first byte picks how each message is read (whole in chunks, a prefix, not
// at all, or too much first), the rest is what the peer sent. Every answer
// of the channel is checked against the framing read off the bytes
// directly: an 8-byte little-endian length, then that many bytes.
#pragma once

#include "FuzzSupport.h"

#include <Kavrel/IO/IByteDataOutput.h>
#include <Kavrel/IO/IDataChannel.h>
#include <Kavrel/IO/IOException.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace Kavrel::Fuzz
{

// Discards what the channel would send: these targets only read.
class NoOutput : public Kavrel::Core::IByteDataOutput
{
public:
    void Write(const void*, size_t) override {}
};

// True when the call threw IOException; any other exception escapes.
template <class Call> bool Throws(Call call)
{
    try
    {
        call();
        return false;
    }
    catch (const Kavrel::Core::IOException&)
    {
        return true;
    }
}

inline void ReadAndCheck(Kavrel::Core::IDataChannel& channel, std::uint8_t pattern, const std::string& stream)
{
    using Kavrel::Core::IDataChannel;
    size_t position = 0;
    std::vector<char> chunk;
    for (int message = 0;; ++message)
    {
        // The next header, as the bytes say.
        std::uint64_t length = 0;
        const bool header = stream.size() - position >= 8;
        if (header)
            for (int i = 0; i < 8; ++i)
                length |= static_cast<std::uint64_t>(static_cast<unsigned char>(stream[position + i])) << (8 * i);
        const bool valid = header && length <= static_cast<std::uint64_t>(IDataChannel::MAX_MESSAGE_BYTES);
        std::int64_t got = -1;
        const bool threw = Throws([&] { got = channel.GetNextMessageLength(); });
        KAVREL_FUZZ_EXPECT(threw == !valid);
        if (threw)
        {
            // At the end, or out of step: it stays so.
            KAVREL_FUZZ_EXPECT(Throws([&] { channel.GetNextMessageLength(); }));
            return;
        }
        KAVREL_FUZZ_EXPECT(static_cast<std::uint64_t>(got) == length);
        position += 8;
        const std::uint64_t available = stream.size() - position;
        std::uint64_t left = length;
        const int how = (pattern >> (2 * (message % 4))) & 3;
        if (how == 3)
            // More than the message holds: refused, and nothing is taken.
            KAVREL_FUZZ_EXPECT(Throws([&] { chunk.resize(0); channel.Read(nullptr, static_cast<std::int64_t>(left) + 1); }));
        // 0 and 3: all of it; 1: a prefix; 2: none, the next message skips it.
        const std::uint64_t wanted = how == 1 ? left / 2 : how == 2 ? 0 : left;
        std::uint64_t read = 0;
        while (read < wanted)
        {
            const size_t size = static_cast<size_t>(std::min<std::uint64_t>(wanted - read, 1 + (read % 4093)));
            chunk.assign(size, '\0');
            const bool failed = Throws([&] { channel.Read(chunk.data(), static_cast<std::int64_t>(size)); });
            const bool arrives = available - read >= size;
            KAVREL_FUZZ_EXPECT(failed == !arrives);
            if (failed)
            {
                KAVREL_FUZZ_EXPECT(Throws([&] { channel.GetNextMessageLength(); }));
                return;
            }
            KAVREL_FUZZ_EXPECT(std::memcmp(chunk.data(), stream.data() + position + read, size) == 0);
            read += size;
        }
        left -= read;
        if (left > available - read)
        {
            // The rest never arrives: skipping it runs into the end.
            KAVREL_FUZZ_EXPECT(Throws([&] { channel.GetNextMessageLength(); }));
            return;
        }
        position += length;
    }
}

} // namespace Kavrel::Fuzz
