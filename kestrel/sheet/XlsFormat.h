#pragma once
// Number display through spreadsheet format codes ("General", "0.00",
// "#,##0", "0%", "d/m/yyyy", ...), with the regional decimal and group
// separators.

#include <QLocale>
#include <QString>
#include <memory>

namespace XlsFormat {

// The code of built-in format `index`, or an empty text when it has none.
QString builtinFormat(int index);
// The built-in index of `code`, or -1.
int builtinIndex(const QString &code);

// True when the code shows dates or times.
bool isDateFormat(const QString &code);

// The text a spreadsheet shows for `value` under `code`. `date1904` picks the
// 1904 date system.
QString formatNumber(double value, const QString &code, const QLocale &locale = QLocale(), bool date1904 = false);

// A format code parsed once, for formatting many numbers.
class NumberFormat {
public:
    explicit NumberFormat(const QString &code = QString());
    QString format(double value, const QLocale &locale = QLocale(), bool date1904 = false) const;
    bool isGeneral() const;

private:
    struct Data;
    std::shared_ptr<const Data> m_data;
};

// General: integers without decimals, otherwise up to 15 significant digits.
QString formatGeneral(double value, const QLocale &locale = QLocale());

} // namespace XlsFormat
