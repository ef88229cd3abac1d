// Value notation parser on arbitrary text: it must return, never throw, and
// give finite numbers whose marks agree with the result.
#include "common/ParamData.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

static void check(bool condition)
{
    if (!condition)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &sep : {QStringLiteral("."), QStringLiteral(",")}) {
        TParamData d;
        d.StrVal = QStringLiteral("kept");
        d.Flag = 7;
        const bool ok = ParseParamValue(text, d, sep);
        check(std::isfinite(d.MinVal) && std::isfinite(d.TypeVal) && std::isfinite(d.MaxVal));
        check(d.StrVal == QLatin1String("kept") && d.Flag == 7);
        // A value read as true carries at least one of its numbers.
        check(!ok || d.UsageMinVal || d.UsageTypeVal || d.UsageMaxVal);
        // A number without its mark is never written.
        check(d.UsageMinVal || d.MinVal == 0);
        check(d.UsageTypeVal || d.TypeVal == 0);
        check(d.UsageMaxVal || d.MaxVal == 0);
        const bool both = text.contains(u"...") && text.contains(u';');
        check(!both || (!ok && !d.UsageMinVal && !d.UsageTypeVal && !d.UsageMaxVal));
    }
    const TStringArray parts = SplitString(text, QStringLiteral("|"));
    check(parts.join(u'|') == text);
    (void)StrToIntDef0(text);
    (void)TextToBool(text);
    return 0;
}
