#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QString>

namespace Kavrel::Util
{

/// Deletes the files in the folder and its sub-folders that were last changed
/// more than `days` days ago (every file when days <= 0), then the
/// sub-folders left empty. With removeFolder, the folder itself goes too once
/// it is empty. Files that cannot be deleted are left; returns whether
/// everything meant to go went.
KAVRELUTIL_EXPORT bool RemoveDir(const QString& path, int days, bool removeFolder);

} // namespace Kavrel::Util
