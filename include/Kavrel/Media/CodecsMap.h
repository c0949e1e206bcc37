#pragma once

#include <Kavrel/Media/KavrelMediaExport.h>

// The codec library's C headers need these limit macros in C++.
#ifndef __STDC_CONSTANT_MACROS
#define __STDC_CONSTANT_MACROS
#endif
extern "C"
{
#include <libavcodec/codec_id.h>
}

#include <map>
#include <string>

namespace Kavrel::Conf
{

/// Every codec the engine's codec library knows, by id, with its name
/// ("h264", "aac", ...), in ascending id order; each name once. Built from
/// the library's codec descriptors on first use.
KAVRELMEDIA_EXPORT const std::map<AVCodecID, std::string>& GetFFCodecsMap();

} // namespace Kavrel::Conf
