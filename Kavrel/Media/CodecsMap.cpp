#include <Kavrel/Media/CodecsMap.h>

extern "C"
{
#include <libavcodec/codec_desc.h>
#include <libavcodec/version.h>
}

#include <dlfcn.h>

#define KAVREL_TEXT_OF(x) #x
#define KAVREL_TEXT(x) KAVREL_TEXT_OF(x)

namespace Kavrel::Conf
{

namespace
{
// The codec library brings some eighty more shared objects (every encoder's
// and decoder's): linked, each product would load and relocate them at every
// start, before its first window, for a table read only when codecs are
// configured. So it is loaded here, on first use. It stays loaded: its
// dependencies set themselves up when loaded and are not made to be
// unloaded, and a product that reads the table uses codecs anyway.
constexpr char CODEC_LIBRARY[] = "libavcodec.so." KAVREL_TEXT(LIBAVCODEC_VERSION_MAJOR);
} // namespace

const std::map<AVCodecID, std::string>& GetFFCodecsMap()
{
    static const std::map<AVCodecID, std::string> codecs = []
    {
        std::map<AVCodecID, std::string> byId;
        void* library = ::dlopen(CODEC_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return byId;
        using Next = const AVCodecDescriptor* (*)(const AVCodecDescriptor*);
        if (const auto next = reinterpret_cast<Next>(::dlsym(library, "avcodec_descriptor_next")))
            for (const AVCodecDescriptor* codec = next(nullptr); codec; codec = next(codec))
                if (codec->name)
                    byId.emplace(codec->id, codec->name);
        return byId;
    }();
    return codecs;
}

} // namespace Kavrel::Conf
