// The master's answer to the slave's "applicationClosed", as the focus
// transferer reads it: whatever arrives (framing included), handing the
// focus back returns, activates at most one window, and only for an answer
// that says yes.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>
#include <Kavrel/IO/CommunicationChannel.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <QCoreApplication>

#include <vector>

namespace
{
int argc = 1;
char name[] = "fuzz_focus_reply";
char* argv[] = {name, nullptr};

// The master's bytes, handed out a few at a time as a pipe would.
class Reply : public Kavrel::Core::IByteDataInput
{
public:
    explicit Reply(std::string bytes) : bytes(std::move(bytes)) {}
    size_t Read(void* buffer, size_t size) override
    {
        const size_t count = std::min({size, bytes.size() - position, size_t(1) + position % 97});
        std::memcpy(buffer, bytes.data() + position, count);
        position += count;
        return count;
    }

private:
    std::string bytes;
    size_t position = 0;
};

class Sent : public Kavrel::Core::IByteDataOutput
{
public:
    void Write(const void*, size_t) override {}
};

// The constructor is protected: each input gets a transferer of its own.
struct Transferer : Kavrel::App::IPCFocusTransfererSlave
{
};

std::vector<unsigned long> activated;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QCoreApplication(argc, argv);
    Kavrel::Platform::SetWindowActivator(
        [](unsigned long window)
        {
            activated.push_back(window);
            return true;
        });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    activated.clear();
    auto* transferer = new Transferer;
    transferer->AddRef();
    transferer->SetCommunicationChannel(
        Kavrel::Core::CommunicationChannel::Create(new Reply(bytes), new Sent, false));
    transferer->GiveFocusToParent();
    transferer->GiveFocusToParent(); // once per process: the second does nothing
    transferer->Release();

    KAVREL_FUZZ_EXPECT(activated.size() <= 1);
    if (activated.empty())
        return 0;
    // Only a whole answer that says "yes" (up to its first NUL) activates.
    std::uint64_t length = 0;
    KAVREL_FUZZ_EXPECT(size >= 8);
    for (int i = 0; i < 8; ++i)
        length |= static_cast<std::uint64_t>(data[i]) << (8 * i);
    KAVREL_FUZZ_EXPECT(length <= size - 8);
    const std::string answer = bytes.substr(8, length).c_str();
    KAVREL_FUZZ_EXPECT(answer == "yes" || answer.rfind("yes=", 0) == 0);
    return 0;
}
