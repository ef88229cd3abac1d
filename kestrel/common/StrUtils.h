#pragma once
#include <QString>

// The text followed by blanks up to `width`; never cuts a longer text.
QString PadRight(const QString &text, int width);
