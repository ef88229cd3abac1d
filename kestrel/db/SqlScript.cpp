#include "SqlScript.h"

#include "FbClient.h"

#include <QRegularExpression>

namespace fb {

namespace {

// Removes comments and surrounding space; what is left tells whether a
// piece holds a statement at all.
QString withoutComments(const QString &s)
{
    QString out;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        if (c == u'\'' || c == u'"') {
            qsizetype j = s.indexOf(c, i + 1);
            j = j < 0 ? n : j + 1;
            out += QStringView(s).mid(i, j - i);
            i = j;
        } else if (c == u'-' && next == u'-') {
            qsizetype j = s.indexOf(u'\n', i);
            i = j < 0 ? n : j + 1;
            out += u' ';
        } else if (c == u'/' && next == u'*') {
            qsizetype j = s.indexOf(QStringLiteral("*/"), i + 2);
            i = j < 0 ? n : j + 2;
            out += u' ';
        } else {
            out += c;
            ++i;
        }
    }
    return out.trimmed();
}

} // namespace

QList<ScriptStatement> splitScript(const QString &script)
{
    static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    QList<ScriptStatement> out;
    QString term = QStringLiteral(";");
    const qsizetype n = script.size();
    qsizetype start = 0;
    int line = 1;
    int startLine = 1;
    auto finish = [&](qsizetype end) {
        const QString piece = script.mid(start, end - start);
        const QString bare = withoutComments(piece);
        if (!bare.isEmpty()) {
            const auto m = setTerm.match(bare);
            if (m.hasMatch())
                term = m.captured(1);
            else if (bare.startsWith(QStringLiteral("SET TERM"), Qt::CaseInsensitive))
                throw DatabaseError(QStringLiteral("Malformed SET TERM at line %1").arg(startLine));
            else
                out.append({piece.trimmed(), startLine});
        }
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = script[i];
        const QChar next = i + 1 < n ? script[i + 1] : QChar();
        auto skipTo = [&](qsizetype j) {
            for (qsizetype k = i; k < j && k < n; ++k)
                if (script[k] == u'\n')
                    ++line;
            i = j;
        };
        if (c == u'\'' || c == u'"') {
            const qsizetype j = script.indexOf(c, i + 1);
            skipTo(j < 0 ? n : j + 1);
        } else if (c == u'-' && next == u'-') {
            const qsizetype j = script.indexOf(u'\n', i);
            skipTo(j < 0 ? n : j + 1);
        } else if (c == u'/' && next == u'*') {
            const qsizetype j = script.indexOf(QStringLiteral("*/"), i + 2);
            skipTo(j < 0 ? n : j + 2);
        } else if (QStringView(script).mid(i).startsWith(term)) {
            finish(i);
            i += term.size();
            start = i;
            // The next statement starts on the first line with text.
            while (i < n && script[i].isSpace()) {
                if (script[i] == u'\n')
                    ++line;
                ++i;
            }
            startLine = line;
        } else {
            if (c == u'\n')
                ++line;
            if (start == i && c.isSpace())
                startLine = line;
            ++i;
        }
    }
    finish(n);
    return out;
}

void runScript(Database &db, const QString &script)
{
    Transaction tr(db);
    for (const ScriptStatement &s : splitScript(script)) {
        try {
            tr.start();
            db.executeImmediate(tr, s.sql);
            tr.commit();
        } catch (const KException &e) {
            tr.rollback();
            throw FirebirdError(e.message() + QStringLiteral("\n(script line %1)").arg(s.line));
        }
    }
}

} // namespace fb
