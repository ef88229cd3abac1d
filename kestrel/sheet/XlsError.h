#pragma once
#include "common/KException.h"

// A workbook file that cannot be read or written. Read errors say that the
// file is not a readable Excel 97 workbook and why.
class XlsError : public KException {
public:
    explicit XlsError(const QString &message) : KException(message, QStringLiteral("EXlsError")) {}
    // "The file is not a readable Excel 97 workbook: <why>"
    static XlsError unreadable(const QString &why)
    {
        return XlsError(QStringLiteral("The file is not a readable Excel 97 workbook: %1").arg(why));
    }
};
