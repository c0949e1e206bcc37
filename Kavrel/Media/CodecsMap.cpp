#include <Kavrel/Media/CodecsMap.h>

extern "C"
{
#include <libavcodec/codec_desc.h>
}

namespace Kavrel::Conf
{

const std::map<AVCodecID, std::string>& GetFFCodecsMap()
{
    static const std::map<AVCodecID, std::string> codecs = []
    {
        std::map<AVCodecID, std::string> byId;
        for (const AVCodecDescriptor* codec = avcodec_descriptor_next(nullptr); codec;
             codec = avcodec_descriptor_next(codec))
            if (codec->name)
                byId.emplace(codec->id, codec->name);
        return byId;
    }();
    return codecs;
}

} // namespace Kavrel::Conf
