// xlstool: the program's own .xls codec on the command line.
//   xlstool dump FILE.xls          the workbook as JSON
//   xlstool build FILE.json OUT.xls  a workbook written from that JSON
//   xlstool csv FILE.xls [PAGE]    one page (index or caption; default the active one) as CSV

#include "common/KException.h"
#include "sheet/Workbook.h"
#include "sheet/XlsJson.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <cstdio>

static int usage()
{
    std::fputs("usage: xlstool dump FILE.xls | build FILE.json OUT.xls | csv FILE.xls [PAGE]\n", stderr);
    return 2;
}

static void writeOut(const QByteArray &b) { std::fwrite(b.constData(), 1, size_t(b.size()), stdout); }

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    try {
        const QString cmd = args[0];
        if (cmd == u"dump" && args.size() == 2) {
            Workbook book;
            book.loadFromFile(args[1]);
            writeOut(QJsonDocument(XlsJson::toJson(book)).toJson(QJsonDocument::Indented));
            return 0;
        }
        if (cmd == u"build" && args.size() == 3) {
            QFile f(args[1]);
            if (!f.open(QIODevice::ReadOnly))
                throw KException(QStringLiteral("Cannot open \"%1\": %2").arg(args[1], f.errorString()));
            QJsonParseError err;
            const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
            if (!doc.isObject())
                throw KException(QStringLiteral("\"%1\" is not a JSON object: %2").arg(args[1], err.errorString()));
            Workbook book;
            XlsJson::fromJson(doc.object(), book);
            book.saveToFile(args[2]);
            return 0;
        }
        if (cmd == u"csv" && (args.size() == 2 || args.size() == 3)) {
            // Not freed: the process ends right after, and freeing every cell
            // one by one would only cost time.
            Workbook &book = *new Workbook;
            book.loadFromFile(args[1]);
            int index = book.activePageIndex();
            if (args.size() == 3) {
                bool isNumber = false;
                index = args[2].toInt(&isNumber);
                if (!isNumber) {
                    index = -1;
                    for (int i = 0; i < book.pageCount(); ++i)
                        if (book.page(i).caption() == args[2])
                            index = i;
                }
                if (index < 0 || index >= book.pageCount())
                    throw KException(QStringLiteral("No page \"%1\" in \"%2\"").arg(args[2], args[1]));
            }
            writeOut(XlsJson::toCsv(book.page(index)));
            return 0;
        }
    } catch (const KException &e) {
        std::fprintf(stderr, "xlstool: %s: %s\n", qPrintable(e.className()), qPrintable(e.message()));
        return 1;
    }
    return usage();
}
