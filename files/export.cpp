#include "export.h"

#include "safewrite.h"

int WriteExportFile(const QString& path, const QStringList& rows)
{
    QByteArray bytes;
    for (const QString& row : rows)
        bytes += row.toLatin1() + QByteArrayLiteral("\r\n");
    return WriteFileReplacing(path, bytes);
}
