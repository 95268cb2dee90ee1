#include "longrun.h"

#include <QFile>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define TR_CALLGRIND_MARKS 1
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

double statusMb(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    double mb = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            mb = std::atof(line + n + 1) / 1024.0; // kB
            break;
        }
    }
    std::fclose(f);
    return mb;
}

double rssMb()
{
    return statusMb("VmRSS");
}

void profileWindowBegins()
{
#ifdef TR_CALLGRIND_MARKS
    CALLGRIND_START_INSTRUMENTATION;
    CALLGRIND_ZERO_STATS;
#endif
}

void profileWindowEnds(int firstRow)
{
#ifdef TR_CALLGRIND_MARKS
    char name[32];
    std::snprintf(name, sizeof name, "rows %d", firstRow);
    CALLGRIND_DUMP_STATS_AT(name);
    CALLGRIND_STOP_INSTRUMENTATION;
#else
    Q_UNUSED(firstRow);
#endif
}

const char* verdict(bool ok)
{
    return ok ? "ok" : "MISSED";
}

qint64 fileSize(const QString& path)
{
    QFile f(path);
    return f.exists() ? f.size() : -1;
}
