// kestrel-catalogue: makes catalogue files from the built-in schema and
// checks a file exactly as Kestrel's Connect command does.
//
//   kestrel-catalogue create FILE [--demo]
//   kestrel-catalogue check FILE

#include "db/CatalogueSchema.h"
#include "db/CatalogueSession.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

// The boxes the Connect command would show, one line each.
class PrintedBoxes : public ErrorBoxes {
public:
    void showError(const QString &caption, const QString &text) override
    {
        const QString line = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
        std::printf("%s\n", line.toLocal8Bit().constData());
    }
};

int usage()
{
    std::fprintf(stderr, "usage: kestrel-catalogue create FILE [--demo]\n"
                         "       kestrel-catalogue check FILE\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString command = args[0];
    const QString file = args[1];

    if (command == QLatin1String("create")) {
        const QStringList options = args.mid(2);
        if (options.size() > 1 || (options.size() == 1 && options[0] != QLatin1String("--demo")))
            return usage();
        try {
            catalogue::createCatalogue(file, options.contains(QStringLiteral("--demo")));
        } catch (const KException &e) {
            std::fprintf(stderr, "kestrel-catalogue: %s\n", e.message().toLocal8Bit().constData());
            return 1;
        }
        std::printf("created %s\n", file.toLocal8Bit().constData());
        return 0;
    }

    if (command == QLatin1String("check")) {
        if (args.size() != 2)
            return usage();
        PrintedBoxes boxes;
        CatalogueSession session(&boxes);
        if (!session.ConnectDB(QStringLiteral("SYSDBA"), file))
            return 1;
        std::printf("ok\n");
        session.DisconnectDB();
        return 0;
    }
    return usage();
}
