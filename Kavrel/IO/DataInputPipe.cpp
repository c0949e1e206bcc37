#include "PipeEnd.h"

#include <Kavrel/IO/DataInputPipe.h>

namespace Kavrel::Core
{

namespace
{
class InputPipe final : public IByteDataInputEx
{
public:
    InputPipe(const std::string& pipeName, bool master)
        : name(pipeName), pipe(pipeName, Kavrel::Platform::NamedPipe::Direction::Read, master)
    {
        RequireValid(pipe, name);
    }

    size_t Read(void* buffer, size_t size) override
    {
        size_t got = 0;
        const auto status = pipe.Read(buffer, size, got);
        if (status == Kavrel::Platform::NamedPipe::Status::Closed)
            return 0; // the end of the stream, not a failure of it
        ThrowUnlessDone(status, pipe, name);
        return got;
    }

    void Close() override { pipe.Stop(); }
    void SetTimeout(int milliseconds) override { pipe.SetTimeout(milliseconds); }

private:
    std::string name;
    Kavrel::Platform::NamedPipe pipe;
};
} // namespace

boost::intrusive_ptr<IByteDataInputEx> DataInputPipe::Create(const std::string& name, bool master)
{
    return new InputPipe(name, master);
}

} // namespace Kavrel::Core
