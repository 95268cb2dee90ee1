#include "export.h"

#include "safewrite.h"

int WriteExportFile(const QString& path, const QString& rowsText)
{
    return WriteFileReplacing(path, rowsText.toLatin1());
}
