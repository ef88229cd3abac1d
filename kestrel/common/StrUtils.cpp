#include "common/StrUtils.h"

QString PadRight(const QString &text, int width)
{
    if (width > 0 && text.size() < width)
        return text + QString(width - text.size(), QLatin1Char(' '));
    return text;
}
