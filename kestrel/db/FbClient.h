#pragma once
// A small layer over the Firebird client's OO API: one connection, explicit
// transactions and queries with named :NAME parameters. Prepared statements
// are cached per connection by their text, so a query that is given the same
// text again (as the imports do for every row) is not prepared again.
//
// A unit of work:
//     tr.start();
//     try {
//         q.setSql("SELECT FIRST 1 SKIP 0 DBID, ID FROM T_MAKER WHERE UPCASE(S_NAME) LIKE :VAR_S_NAME");
//         q.paramByName("VAR_S_NAME").setString(name.toUpper());
//         q.open();
//         if (!q.eof()) id = q.fieldByName("ID").asInteger();
//         q.close();
//         tr.commit();
//     } catch (const KException &e) {
//         tr.rollback();
//         modal::error(parent, e.className(), e.message());
//     }
// Declare the Database before its Transactions and Queries so that they go
// first.

#include "common/KException.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
} // namespace Firebird

namespace fb {

// An error reported by the engine; the message is the engine's full text.
class FirebirdError : public KException {
public:
    explicit FirebirdError(QString message, std::intptr_t gdsCode = 0)
        : KException(std::move(message), QStringLiteral("FirebirdError")), m_gdsCode(gdsCode)
    {
    }
    std::intptr_t gdsCode() const noexcept { return m_gdsCode; }

private:
    std::intptr_t m_gdsCode;
};

// A misuse of the layer or a value that does not convert (unknown parameter or
// field, transaction not active, 'abc' read as an integer).
class DatabaseError : public KException {
public:
    explicit DatabaseError(QString message)
        : KException(std::move(message), QStringLiteral("DatabaseError"))
    {
    }
};

// A blob value, kept apart from text so that a QByteArray parameter is not
// mistaken for a string.
struct Blob {
    QByteArray data;
};

// The value of a parameter or field: NULL, integer, float, text, timestamp,
// blob or Boolean.
using Value = std::variant<std::monostate, std::int64_t, double, QString, QDateTime, Blob, bool>;

// Named parameters of a statement text: `sql` with each :NAME replaced by ?,
// `names` the name of each ? in order (upper-cased; a name may repeat).
// Quoted text, "identifiers" and comments are copied unchanged; `::` stays.
struct ParsedSql {
    QString sql;
    QStringList names;
};
ParsedSql parseNamedParams(const QString &sql);

namespace detail {
struct Prepared;

// Owns one reference to a Firebird interface and releases it when it goes.
// The engine's own closing calls (detach, commit, free, close) release the
// interface themselves on success; forget() records that.
template <class I>
class Handle {
public:
    Handle() noexcept = default;
    explicit Handle(I *p) noexcept : m_p(p) {}
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle(Handle &&o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    Handle &operator=(Handle &&o) noexcept
    {
        if (this != &o) {
            reset();
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    I *get() const noexcept { return m_p; }
    I *operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    void reset() noexcept
    {
        if (m_p)
            m_p->release();
        m_p = nullptr;
    }
    void forget() noexcept { m_p = nullptr; }

private:
    I *m_p = nullptr;
};
} // namespace detail

class Transaction;
class Query;

// Options for a new database file.
struct CreateOptions {
    int pageSize = 8192;
    // Off only for throw-away databases: it makes creation much faster.
    bool forcedWrites = true;
};

// One attachment to a database file, by file name and user name only.
class Database {
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Attaches; throws FirebirdError when the engine refuses. Does nothing
    // when already open.
    void open(const QString &fileName, const QString &userName);
    // Rolls back open transactions, frees statements and detaches. Throws
    // when the engine refuses the detach; the connection is open then.
    void close();
    // As close(), but never fails: a refused detach drops the handle anyway.
    void closeQuietly() noexcept;
    bool isOpen() const noexcept { return bool(m_attachment); }
    const QString &fileName() const noexcept { return m_fileName; }

    // Creates a new, empty database file and leaves this object attached.
    void create(const QString &fileName, const QString &userName, const CreateOptions &options = {});
    // Switches synchronous writes of a closed database file on or off.
    static void setForcedWrites(const QString &fileName, const QString &userName, bool on);
    // Drops the attached database (its file is deleted).
    void dropDatabase();

    // Runs one statement text as it stands (no parameters) in `tr`; for
    // scripts and DDL.
    void executeImmediate(Transaction &tr, const QString &sql);

    Firebird::IAttachment *attachment() const noexcept { return m_attachment.get(); }

    // How many statements were prepared since the connection opened; lets
    // tests see that re-running a text does not prepare it again.
    int prepareCount() const noexcept { return m_prepareCount; }

private:
    friend class Transaction;
    friend class Query;
    // The cached statement for `sql`; a fresh one of its own when `ownCopy`
    // (another query has a cursor open on the cached one).
    std::shared_ptr<detail::Prepared> prepared(const QString &sql, Firebird::ITransaction *tra, bool ownCopy = false);
    void releaseAll() noexcept;

    detail::Handle<Firebird::IAttachment> m_attachment;
    QString m_fileName;
    std::vector<Transaction *> m_transactions;
    QHash<QString, std::shared_ptr<detail::Prepared>> m_cache;
    std::vector<std::weak_ptr<detail::Prepared>> m_ownCopies;
    int m_prepareCount = 0;
};

// The one kind of transaction: read committed, no waiting on locks. Never
// started implicitly.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Throws when the database is not open or the transaction is active.
    void start();
    // Throws when not active or when the engine refuses; then it stays active.
    void commit();
    // Ends the transaction whatever happens; does nothing when not active.
    void rollback() noexcept;
    bool inTransaction() const noexcept { return bool(m_handle); }

    Database &database() const noexcept { return m_db; }
    Firebird::ITransaction *handle() const noexcept { return m_handle.get(); }

private:
    friend class Database;
    friend class Query;
    void closeQueries() noexcept;

    Database &m_db;
    detail::Handle<Firebird::ITransaction> m_handle;
    std::vector<Query *> m_queries;
};

class Query;

// A field of the current row, read as the caller needs it. NULL reads as 0,
// 0.0, empty text or an invalid timestamp.
class Field {
public:
    bool isNull() const;
    QString asString() const;
    std::int64_t asInteger() const; // throws DatabaseError for text that is no integer
    double asFloat() const;         // throws DatabaseError for text that is no number
    QDateTime asTimestamp() const;
    QByteArray asBytes() const;
    Value value() const;

private:
    friend class Query;
    Field(const Query &q, int index) : m_query(q), m_index(index) {}
    const Query &m_query;
    int m_index;
};

// A parameter of a query, set by name; every position of the name gets the
// value. An absent value sets SQL NULL.
class Param {
public:
    void setNull();
    void setInteger(std::int64_t v);
    void setFloat(double v);
    void setString(const QString &v);
    void setTimestamp(const QDateTime &v);
    void setBlob(const QByteArray &v);
    void setBoolean(bool v);
    void setValue(const Value &v);
    // std::nullopt sets NULL.
    template <class T>
    void set(const std::optional<T> &v)
    {
        if (v)
            setValue(Value(*v));
        else
            setNull();
    }

private:
    friend class Query;
    Param(Query &q, int index) : m_query(q), m_index(index) {}
    Query &m_query;
    int m_index;
};

// A statement with named parameters on one database and transaction.
class Query {
public:
    Query(Database &db, Transaction &tr);
    ~Query();
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    // Closes the query and gives it a new text; all parameters become NULL.
    void setSql(const QString &sql);
    const QString &sql() const noexcept { return m_sql; }

    // Runs the statement in the transaction, which must be active. A select
    // opens a cursor on its first row; EXECUTE PROCEDURE gives one row of
    // outputs; anything else gives no row.
    void open();
    // The same as open(); reads better for statements without rows.
    void execute() { open(); }
    bool isOpen() const noexcept { return m_open; }
    bool eof() const noexcept { return m_eof; }
    void next();
    void close() noexcept;
    // Rows changed by the last insert, update or delete.
    std::int64_t rowsAffected() const noexcept { return m_rowsAffected; }

    // Throws DatabaseError for a name the text does not have.
    Param paramByName(const QString &name);
    QStringList paramNames() const { return m_paramNames; }

    // Throws DatabaseError for a field the statement does not return.
    Field fieldByName(const QString &name) const;
    int fieldCount() const;
    QString fieldName(int index) const;

private:
    friend class Field;
    friend class Param;
    friend class Transaction;
    void ensurePrepared();
    void fetch();
    Value readField(int index) const;

    Database &m_db;
    Transaction &m_tr;
    QString m_sql;
    ParsedSql m_parsed;
    QStringList m_paramNames;          // unique, in first-use order
    std::vector<int> m_positionName;   // index into m_paramNames per ? position
    std::vector<Value> m_values;       // per unique name
    std::shared_ptr<detail::Prepared> m_prepared;
    detail::Handle<Firebird::IResultSet> m_cursor;
    std::vector<unsigned char> m_outBuffer;
    bool m_open = false;
    bool m_eof = true;
    std::int64_t m_rowsAffected = 0;
};

} // namespace fb
