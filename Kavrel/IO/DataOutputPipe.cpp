#include "PipeEnd.h"

#include <Kavrel/IO/DataOutputPipe.h>

namespace Kavrel::Core
{

namespace
{
class OutputPipe final : public IByteDataOutputEx
{
public:
    OutputPipe(const std::string& pipeName, bool master)
        : name(pipeName), pipe(pipeName, Kavrel::Platform::NamedPipe::Direction::Write, master)
    {
        RequireValid(pipe, name);
    }

    void Write(const void* data, size_t size) override
    {
        ThrowUnlessDone(pipe.WriteAll(data, size), pipe, name);
    }
    void Close() override { pipe.Stop(); }
    void SetTimeout(int milliseconds) override { pipe.SetTimeout(milliseconds); }

private:
    std::string name;
    Kavrel::Platform::NamedPipe pipe;
};
} // namespace

boost::intrusive_ptr<IByteDataOutputEx> DataOutputPipe::Create(const std::string& name, bool master)
{
    return new OutputPipe(name, master);
}

} // namespace Kavrel::Core
