#pragma once
// A check's findings as the operator reads them, one line each.
#include "tools/ContentCheck.h"

#include <QStringList>

inline QStringList Lines(const contentcheck::Report& report)
{
    QStringList lines;
    for (const auto& finding : report.findings)
        lines << QString::fromStdString(contentcheck::FormatFinding(finding));
    return lines;
}
