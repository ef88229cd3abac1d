#pragma once
// Splits an SQL script into statements the way isql does: statements end
// with the current terminator, `SET TERM x ;` changes it (so procedure bodies
// can hold semicolons), and terminators inside quotes or comments do not
// count.

#include <QString>
#include <QStringList>

namespace fb {

class Database;

struct ScriptStatement {
    QString sql;
    int line = 0; // first line of the statement, counted from 1
};

// Statements without their terminators; SET TERM lines are consumed and
// comment-only pieces dropped. Throws DatabaseError for a malformed SET TERM.
QList<ScriptStatement> splitScript(const QString &script);

// Runs each statement of the script in a transaction of its own, so that
// DDL is committed before the next statement uses it. A failure names the
// statement's line.
void runScript(Database &db, const QString &script);

} // namespace fb
