#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QSettings>

namespace Kavrel::Util
{

/// The format a settings file is best written in when it is asked for in
/// `format`. Qt 5 replaces an INI file (IniFormat, and NativeFormat outside
/// Windows) with its new content even when writing that content failed at
/// the last moment (a full disk, an I/O error), so that the whole file was
/// lost and QSettings reported no error. For those formats this returns a
/// format of the same files (the same text, the same places, "conf" as the
/// extension Qt adds to a store named by organisation and application) that
/// makes such a failure fail the save: the old file stays and
/// QSettings::status() says QSettings::AccessError. Reading a damaged file
/// leaves out the keys QSettings cannot reach (empty, or with a slash at
/// either end or doubled), which it would list but never read, change or
/// remove: the next save drops them. And it removes the empty lock files
/// that a process killed in the middle of a save can leave and nobody holds,
/// which would stall the next save for 30 s. Any other format is returned as
/// it is.
KAVRELUTIL_EXPORT QSettings::Format CheckedSettingsFormat(QSettings::Format format);

/// Reads INI text into `map` as a file in the checked format is read: the
/// keys and values QSettings would give, without the unreachable keys.
/// False when the text could not be read at all (no temporary file).
KAVRELUTIL_EXPORT bool ReadCheckedIni(const QByteArray& text, QSettings::SettingsMap& map);
/// The INI text QSettings writes for `map`. False when it could not be made.
KAVRELUTIL_EXPORT bool WriteCheckedIni(const QSettings::SettingsMap& map, QByteArray& text);

} // namespace Kavrel::Util
