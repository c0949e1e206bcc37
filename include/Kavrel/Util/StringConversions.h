#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace Kavrel::Util
{

KAVRELUTIL_EXPORT QString Utf8ToQString(const std::string& utf8);
KAVRELUTIL_EXPORT std::string QStringToUtf8(const QString& text);

/// Byte-for-byte copies; embedded zero bytes are kept.
KAVRELUTIL_EXPORT QByteArray VectorByteToQByteArray(const std::vector<unsigned char>& bytes);
KAVRELUTIL_EXPORT std::vector<unsigned char> QByteArrayToVectorByte(const QByteArray& bytes);

} // namespace Kavrel::Util
