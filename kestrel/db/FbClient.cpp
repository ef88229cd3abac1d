#include "FbClient.h"

#include <firebird/Interface.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Firebird;

namespace fb {

namespace {

// The embedded engine keeps its lock files in /tmp/firebird. That folder is
// created by whoever used the engine first and is not writable for anyone
// else, so a process that is not root gets a folder of its own unless the
// environment already names one.
void prepareEnvironment()
{
    if (!qEnvironmentVariableIsEmpty("FIREBIRD_LOCK") || ::geteuid() == 0)
        return;
    const QString dir = QDir::tempPath() + QStringLiteral("/firebird-") + QString::number(::geteuid());
    QDir().mkpath(dir);
    ::chmod(QFile::encodeName(dir).constData(), 0700);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(dir));
}

IMaster *master()
{
    static IMaster *m = [] {
        prepareEnvironment();
        return fb_get_master_interface();
    }();
    return m;
}

IUtil *util() { return master()->getUtilInterface(); }

IProvider *provider()
{
    // Kept for the life of the process: the engine's plugins stay loaded.
    static IProvider *p = master()->getDispatcher();
    return p;
}

// A status vector that turns errors into FirebirdError.
class Status {
public:
    Status() : m_raw(master()->getStatus()), m_wrapper(m_raw) {}
    ~Status() { m_raw->dispose(); }
    Status(const Status &) = delete;
    Status &operator=(const Status &) = delete;

    CheckStatusWrapper *w() { return &m_wrapper; }
    bool failed() const { return (m_wrapper.getState() & IStatus::STATE_ERRORS) != 0; }
    void check()
    {
        if (failed())
            throwError();
    }
    [[noreturn]] void throwError()
    {
        char buf[2048];
        util()->formatStatus(buf, sizeof buf, &m_wrapper);
        std::intptr_t code = 0;
        const intptr_t *v = m_wrapper.getErrors();
        if (v && v[0] == isc_arg_gds)
            code = v[1];
        m_wrapper.init();
        throw FirebirdError(QString::fromUtf8(buf).trimmed(), code);
    }

private:
    IStatus *m_raw;
    CheckStatusWrapper m_wrapper;
};

// A parameter block (DPB, TPB) under construction.
class Xpb {
public:
    explicit Xpb(unsigned kind)
    {
        m_b = util()->getXpbBuilder(m_st.w(), kind, nullptr, 0);
        m_st.check();
    }
    ~Xpb()
    {
        if (m_b)
            m_b->dispose();
    }
    Xpb(const Xpb &) = delete;
    Xpb &operator=(const Xpb &) = delete;
    void tag(unsigned char t)
    {
        m_b->insertTag(m_st.w(), t);
        m_st.check();
    }
    void str(unsigned char t, const QByteArray &v)
    {
        m_b->insertString(m_st.w(), t, v.constData());
        m_st.check();
    }
    void num(unsigned char t, int v)
    {
        m_b->insertInt(m_st.w(), t, v);
        m_st.check();
    }
    unsigned length() { return m_b->getBufferLength(m_st.w()); }
    const unsigned char *data() { return m_b->getBuffer(m_st.w()); }

private:
    Status m_st;
    IXpbBuilder *m_b = nullptr;
};

bool isNameStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

constexpr int kUtf8CharSet = 4;
constexpr unsigned kLooseTextLength = 8192;

// Firebird dates count days from 17 November 1858; times count 1/10000 s.
constexpr qint64 kFirebirdEpochJulianDay = 2400001;

ISC_TIMESTAMP encodeTimestamp(const QDateTime &dt)
{
    ISC_TIMESTAMP ts;
    ts.timestamp_date = ISC_DATE(dt.date().toJulianDay() - kFirebirdEpochJulianDay);
    ts.timestamp_time = ISC_TIME(dt.time().msecsSinceStartOfDay()) * 10;
    return ts;
}

QDateTime decodeTimestamp(const ISC_TIMESTAMP &ts)
{
    const QDate d = QDate::fromJulianDay(qint64(ts.timestamp_date) + kFirebirdEpochJulianDay);
    const QTime t = QTime::fromMSecsSinceStartOfDay(int(ts.timestamp_time / 10));
    return QDateTime(d, t);
}

std::int64_t toInteger(const Value &v, const QString &what)
{
    struct V {
        const QString &what;
        std::int64_t operator()(std::monostate) const { return 0; }
        std::int64_t operator()(std::int64_t x) const { return x; }
        std::int64_t operator()(double x) const
        {
            if (!std::isfinite(x) || std::fabs(x) > 9.2e18)
                throw DatabaseError(QStringLiteral("%1 is out of the range of an integer (%2)").arg(x).arg(what));
            return std::llround(x);
        }
        std::int64_t operator()(bool b) const { return b ? 1 : 0; }
        std::int64_t operator()(const QString &s) const
        {
            bool ok = false;
            const qint64 x = s.trimmed().toLongLong(&ok);
            if (!ok)
                throw DatabaseError(QStringLiteral("'%1' is not a valid integer value (%2)").arg(s, what));
            return x;
        }
        std::int64_t operator()(const QDateTime &) const
        {
            throw DatabaseError(QStringLiteral("A timestamp cannot be used as an integer (%1)").arg(what));
        }
        std::int64_t operator()(const Blob &) const
        {
            throw DatabaseError(QStringLiteral("A blob cannot be used as an integer (%1)").arg(what));
        }
    };
    return std::visit(V{what}, v);
}

double toFloat(const Value &v, const QString &what)
{
    struct V {
        const QString &what;
        double operator()(std::monostate) const { return 0.0; }
        double operator()(std::int64_t x) const { return double(x); }
        double operator()(double x) const { return x; }
        double operator()(bool b) const { return b ? 1.0 : 0.0; }
        double operator()(const QString &s) const
        {
            bool ok = false;
            const double x = s.trimmed().toDouble(&ok);
            if (!ok)
                throw DatabaseError(QStringLiteral("'%1' is not a valid floating point value (%2)").arg(s, what));
            return x;
        }
        double operator()(const QDateTime &) const
        {
            throw DatabaseError(QStringLiteral("A timestamp cannot be used as a number (%1)").arg(what));
        }
        double operator()(const Blob &) const
        {
            throw DatabaseError(QStringLiteral("A blob cannot be used as a number (%1)").arg(what));
        }
    };
    return std::visit(V{what}, v);
}

QString toText(const Value &v)
{
    struct V {
        QString operator()(std::monostate) const { return QString(); }
        QString operator()(std::int64_t x) const { return QString::number(x); }
        QString operator()(double x) const { return QString::number(x, 'g', 15); }
        QString operator()(bool b) const { return b ? QStringLiteral("true") : QStringLiteral("false"); }
        QString operator()(const QString &s) const { return s; }
        QString operator()(const QDateTime &d) const { return d.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")); }
        QString operator()(const Blob &b) const { return QString::fromUtf8(b.data); }
    };
    return std::visit(V{}, v);
}

QDateTime toTimestamp(const Value &v, const QString &what)
{
    if (std::holds_alternative<std::monostate>(v))
        return QDateTime();
    if (auto *d = std::get_if<QDateTime>(&v))
        return *d;
    if (auto *s = std::get_if<QString>(&v)) {
        QDateTime d = QDateTime::fromString(s->trimmed(), Qt::ISODateWithMs);
        if (!d.isValid())
            d = QDateTime::fromString(s->trimmed(), QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
        if (d.isValid())
            return d;
        throw DatabaseError(QStringLiteral("'%1' is not a valid timestamp (%2)").arg(*s, what));
    }
    throw DatabaseError(QStringLiteral("The value is not a timestamp (%1)").arg(what));
}

bool toBoolean(const Value &v, const QString &what)
{
    if (auto *b = std::get_if<bool>(&v))
        return *b;
    if (auto *s = std::get_if<QString>(&v)) {
        const QString t = s->trimmed().toLower();
        if (t == u"true" || t == u"1")
            return true;
        if (t == u"false" || t == u"0" || t.isEmpty())
            return false;
        throw DatabaseError(QStringLiteral("'%1' is not a valid Boolean value (%2)").arg(*s, what));
    }
    return toInteger(v, what) != 0;
}

} // namespace

// ---------------------------------------------------------------- parsing

ParsedSql parseNamedParams(const QString &sql)
{
    ParsedSql r;
    r.sql.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        if (c == u'\'' || c == u'"') {
            // A doubled quote inside reads as two literals in a row, which
            // copies the same way.
            qsizetype j = sql.indexOf(c, i + 1);
            j = j < 0 ? n : j + 1;
            r.sql += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u'-' && next == u'-') {
            qsizetype j = sql.indexOf(u'\n', i);
            j = j < 0 ? n : j + 1;
            r.sql += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u'/' && next == u'*') {
            qsizetype j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            r.sql += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u':' && next == u':') {
            r.sql += QStringLiteral("::");
            i += 2;
        } else if (c == u':' && isNameStart(next)) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            r.names << sql.mid(i + 1, j - i - 1).toUpper();
            r.sql += u'?';
            i = j;
        } else {
            r.sql += c;
            ++i;
        }
    }
    return r;
}

// ---------------------------------------------------------------- statements

namespace detail {

struct Column {
    unsigned type = 0;
    int subType = 0;
    unsigned length = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    QString name;
};

// One prepared statement with the message layouts we bind and read through.
// Column types are widened once at prepare time (integers to BIGINT, scaled
// numbers to DOUBLE, CHAR to VARCHAR, dates to TIMESTAMP) so that values
// convert in one place.
struct Prepared {
    Handle<IStatement> stmt;
    Handle<IMessageMetadata> inMeta;
    Handle<IMessageMetadata> outMeta;
    std::vector<Column> in;
    std::vector<Column> out;
    unsigned inLength = 0;
    unsigned outLength = 0;
    unsigned type = 0;
    QHash<QString, int> fieldIndex;
    // The query whose cursor is open on this statement; a statement has one
    // cursor at a time.
    const void *cursorOwner = nullptr;

    bool valid() const { return bool(stmt); }
    void free() noexcept
    {
        inMeta.reset();
        outMeta.reset();
        if (stmt) {
            Status st;
            stmt->free(st.w());
            if (st.failed())
                stmt.reset();
            else
                stmt.forget();
        }
    }
    ~Prepared() { free(); }
};

namespace {

Handle<IMessageMetadata> widen(IMessageMetadata *meta, std::vector<Column> &cols, unsigned &length)
{
    Status st;
    const unsigned n = meta->getCount(st.w());
    st.check();
    Handle<IMetadataBuilder> b(meta->getBuilder(st.w()));
    st.check();
    for (unsigned i = 0; i < n; ++i) {
        const unsigned type = meta->getType(st.w(), i) & ~1u;
        const int scale = meta->getScale(st.w(), i);
        const unsigned len = meta->getLength(st.w(), i);
        st.check();
        unsigned to = SQL_VARYING;
        unsigned toLen = len;
        switch (type) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            to = scale == 0 ? SQL_INT64 : SQL_DOUBLE;
            toLen = 8;
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            to = SQL_DOUBLE;
            toLen = 8;
            break;
        case SQL_TEXT:
        case SQL_VARYING:
            to = SQL_VARYING;
            break;
        case SQL_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
            to = SQL_TIMESTAMP;
            toLen = sizeof(ISC_TIMESTAMP);
            break;
        case SQL_BLOB:
            to = SQL_BLOB;
            toLen = sizeof(ISC_QUAD);
            break;
        case SQL_BOOLEAN:
            to = SQL_BOOLEAN;
            toLen = 1;
            break;
        default:
            // Untyped parameters (`? IS NULL`) and anything exotic travel as text.
            to = SQL_VARYING;
            toLen = kLooseTextLength;
            b->setCharSet(st.w(), i, kUtf8CharSet);
            break;
        }
        b->setType(st.w(), i, to | 1);
        b->setLength(st.w(), i, toLen);
        if (to != SQL_BLOB)
            b->setSubType(st.w(), i, 0);
        b->setScale(st.w(), i, 0);
        st.check();
    }
    Handle<IMessageMetadata> m(b->getMetadata(st.w()));
    st.check();
    cols.resize(n);
    for (unsigned i = 0; i < n; ++i) {
        Column &c = cols[i];
        c.type = m->getType(st.w(), i) & ~1u;
        c.subType = m->getSubType(st.w(), i);
        c.length = m->getLength(st.w(), i);
        c.offset = m->getOffset(st.w(), i);
        c.nullOffset = m->getNullOffset(st.w(), i);
        const char *alias = meta->getAlias(st.w(), i);
        c.name = QString::fromUtf8(alias && *alias ? alias : meta->getField(st.w(), i));
        st.check();
    }
    length = m->getMessageLength(st.w());
    st.check();
    return m;
}

} // namespace
} // namespace detail

// ---------------------------------------------------------------- Database

Database::Database() = default;

Database::~Database() { closeQuietly(); }

void Database::open(const QString &fileName, const QString &userName)
{
    if (isOpen())
        return;
    Xpb dpb(IXpbBuilder::DPB);
    dpb.str(isc_dpb_user_name, userName.toUtf8());
    dpb.str(isc_dpb_lc_ctype, "UTF8");
    Status st;
    IAttachment *a = provider()->attachDatabase(st.w(), QFile::encodeName(fileName).constData(), dpb.length(), dpb.data());
    st.check();
    m_attachment = detail::Handle<IAttachment>(a);
    m_fileName = fileName;
    m_prepareCount = 0;
}

void Database::create(const QString &fileName, const QString &userName, const CreateOptions &options)
{
    if (isOpen())
        throw DatabaseError(QStringLiteral("The database is already open"));
    Xpb dpb(IXpbBuilder::DPB);
    dpb.str(isc_dpb_user_name, userName.toUtf8());
    dpb.str(isc_dpb_lc_ctype, "UTF8");
    dpb.str(isc_dpb_set_db_charset, "UTF8");
    dpb.num(isc_dpb_sql_dialect, 3);
    dpb.num(isc_dpb_page_size, options.pageSize);
    dpb.num(isc_dpb_force_write, options.forcedWrites ? 1 : 0);
    Status st;
    IAttachment *a = provider()->createDatabase(st.w(), QFile::encodeName(fileName).constData(), dpb.length(), dpb.data());
    st.check();
    m_attachment = detail::Handle<IAttachment>(a);
    m_fileName = fileName;
    m_prepareCount = 0;
}

void Database::setForcedWrites(const QString &fileName, const QString &userName, bool on)
{
    Xpb dpb(IXpbBuilder::DPB);
    dpb.str(isc_dpb_user_name, userName.toUtf8());
    dpb.num(isc_dpb_force_write, on ? 1 : 0);
    Status st;
    detail::Handle<IAttachment> a(
        provider()->attachDatabase(st.w(), QFile::encodeName(fileName).constData(), dpb.length(), dpb.data()));
    st.check();
    a->detach(st.w());
    st.check();
    a.forget();
}

void Database::releaseAll() noexcept
{
    for (Transaction *t : m_transactions)
        t->rollback();
    for (auto &p : m_cache)
        p->free();
    m_cache.clear();
    for (auto &w : m_ownCopies)
        if (auto p = w.lock())
            p->free();
    m_ownCopies.clear();
}

void Database::close()
{
    if (!isOpen())
        return;
    releaseAll();
    Status st;
    m_attachment->detach(st.w());
    st.check();
    m_attachment.forget();
    m_fileName.clear();
}

void Database::closeQuietly() noexcept
{
    if (!isOpen())
        return;
    releaseAll();
    Status st;
    m_attachment->detach(st.w());
    if (st.failed())
        m_attachment.reset();
    else
        m_attachment.forget();
    m_fileName.clear();
}

void Database::dropDatabase()
{
    if (!isOpen())
        throw DatabaseError(QStringLiteral("The database is not open"));
    releaseAll();
    Status st;
    m_attachment->dropDatabase(st.w());
    st.check();
    m_attachment.forget();
    m_fileName.clear();
}

void Database::executeImmediate(Transaction &tr, const QString &sql)
{
    if (!tr.inTransaction())
        throw DatabaseError(QStringLiteral("Transaction is not active"));
    Status st;
    m_attachment->execute(st.w(), tr.handle(), 0, sql.toUtf8().constData(), SQL_DIALECT_V6, nullptr, nullptr,
                          nullptr, nullptr);
    st.check();
}

std::shared_ptr<detail::Prepared> Database::prepared(const QString &sql, ITransaction *tra, bool ownCopy)
{
    auto it = m_cache.find(sql);
    if (!ownCopy && it != m_cache.end() && (*it)->valid())
        return *it;
    if (m_cache.size() > 256) {
        // Drop what no query holds any more.
        for (auto i = m_cache.begin(); i != m_cache.end();)
            i = i->use_count() == 1 ? m_cache.erase(i) : std::next(i);
    }
    auto p = std::make_shared<detail::Prepared>();
    Status st;
    p->stmt = detail::Handle<IStatement>(m_attachment->prepare(st.w(), tra, 0, sql.toUtf8().constData(), SQL_DIALECT_V6,
                                                               IStatement::PREPARE_PREFETCH_METADATA));
    st.check();
    ++m_prepareCount;
    p->type = p->stmt->getType(st.w());
    st.check();
    detail::Handle<IMessageMetadata> in(p->stmt->getInputMetadata(st.w()));
    st.check();
    detail::Handle<IMessageMetadata> out(p->stmt->getOutputMetadata(st.w()));
    st.check();
    p->inMeta = detail::widen(in.get(), p->in, p->inLength);
    p->outMeta = detail::widen(out.get(), p->out, p->outLength);
    for (int i = 0; i < int(p->out.size()); ++i) {
        const QString &name = p->out[size_t(i)].name;
        if (!p->fieldIndex.contains(name))
            p->fieldIndex.insert(name, i);
        if (!p->fieldIndex.contains(name.toUpper()))
            p->fieldIndex.insert(name.toUpper(), i);
    }
    if (ownCopy) {
        m_ownCopies.erase(std::remove_if(m_ownCopies.begin(), m_ownCopies.end(),
                                         [](const std::weak_ptr<detail::Prepared> &w) { return w.expired(); }),
                          m_ownCopies.end());
        m_ownCopies.push_back(p);
    } else {
        m_cache.insert(sql, p);
    }
    return p;
}

// ---------------------------------------------------------------- Transaction

Transaction::Transaction(Database &db) : m_db(db) { m_db.m_transactions.push_back(this); }

Transaction::~Transaction()
{
    rollback();
    auto &v = m_db.m_transactions;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void Transaction::start()
{
    if (!m_db.isOpen())
        throw DatabaseError(QStringLiteral("Database not connected"));
    if (inTransaction())
        throw DatabaseError(QStringLiteral("Transaction is active"));
    Xpb tpb(IXpbBuilder::TPB);
    tpb.tag(isc_tpb_write);
    tpb.tag(isc_tpb_read_committed);
    tpb.tag(isc_tpb_rec_version);
    tpb.tag(isc_tpb_nowait);
    Status st;
    ITransaction *t = m_db.attachment()->startTransaction(st.w(), tpb.length(), tpb.data());
    st.check();
    m_handle = detail::Handle<ITransaction>(t);
}

void Transaction::closeQueries() noexcept
{
    for (Query *q : m_queries)
        q->close();
}

void Transaction::commit()
{
    if (!inTransaction())
        throw DatabaseError(QStringLiteral("Transaction is not active"));
    closeQueries();
    Status st;
    m_handle->commit(st.w());
    st.check();
    m_handle.forget();
}

void Transaction::rollback() noexcept
{
    if (!inTransaction())
        return;
    closeQueries();
    Status st;
    m_handle->rollback(st.w());
    if (st.failed())
        m_handle.reset();
    else
        m_handle.forget();
}

// ---------------------------------------------------------------- Query

Query::Query(Database &db, Transaction &tr) : m_db(db), m_tr(tr) { m_tr.m_queries.push_back(this); }

Query::~Query()
{
    close();
    auto &v = m_tr.m_queries;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void Query::setSql(const QString &sql)
{
    close();
    if (sql != m_sql) {
        m_sql = sql;
        m_parsed = parseNamedParams(sql);
        m_paramNames.clear();
        m_positionName.clear();
        for (const QString &name : std::as_const(m_parsed.names)) {
            qsizetype k = m_paramNames.indexOf(name);
            if (k < 0) {
                k = m_paramNames.size();
                m_paramNames << name;
            }
            m_positionName.push_back(int(k));
        }
        m_prepared.reset();
    }
    m_values.assign(size_t(m_paramNames.size()), Value());
}

void Query::ensurePrepared()
{
    if (m_prepared && m_prepared->valid())
        return;
    m_prepared.reset();
    if (m_sql.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("The query has no statement"));
    m_prepared = m_db.prepared(m_parsed.sql, m_tr.handle());
    if (m_prepared->in.size() != m_positionName.size()) {
        m_prepared.reset();
        throw DatabaseError(QStringLiteral("The statement has parameters that are not written as :NAME"));
    }
}

void Query::open()
{
    close();
    if (!m_db.isOpen())
        throw DatabaseError(QStringLiteral("Database not connected"));
    if (!m_tr.inTransaction())
        throw DatabaseError(QStringLiteral("Transaction is not active"));
    ensurePrepared();
    const bool select = m_prepared->type == isc_info_sql_stmt_select ||
                        m_prepared->type == isc_info_sql_stmt_select_for_upd;
    if (select && m_prepared->cursorOwner) {
        // Another query with the same text is still reading: this one gets a
        // statement of its own.
        m_prepared = m_db.prepared(m_parsed.sql, m_tr.handle(), true);
    }
    detail::Prepared &p = *m_prepared;

    std::vector<unsigned char> in(p.inLength, 0);
    Status st;
    for (size_t i = 0; i < p.in.size(); ++i) {
        const detail::Column &c = p.in[i];
        const int k = m_positionName[i];
        const Value &v = m_values[size_t(k)];
        const QString what = QStringLiteral("parameter ") + m_paramNames[k];
        unsigned char *data = in.data() + c.offset;
        short nullFlag = std::holds_alternative<std::monostate>(v) ? -1 : 0;
        std::memcpy(in.data() + c.nullOffset, &nullFlag, sizeof nullFlag);
        if (nullFlag)
            continue;
        switch (c.type) {
        case SQL_INT64: {
            const std::int64_t x = toInteger(v, what);
            std::memcpy(data, &x, sizeof x);
            break;
        }
        case SQL_DOUBLE: {
            const double x = toFloat(v, what);
            std::memcpy(data, &x, sizeof x);
            break;
        }
        case SQL_TIMESTAMP: {
            const QDateTime d = toTimestamp(v, what);
            if (!d.isValid())
                throw DatabaseError(QStringLiteral("Invalid timestamp (%1)").arg(what));
            const ISC_TIMESTAMP ts = encodeTimestamp(d);
            std::memcpy(data, &ts, sizeof ts);
            break;
        }
        case SQL_BOOLEAN: {
            const FB_BOOLEAN b = toBoolean(v, what) ? FB_TRUE : FB_FALSE;
            std::memcpy(data, &b, sizeof b);
            break;
        }
        case SQL_BLOB: {
            const QByteArray bytes = std::holds_alternative<Blob>(v) ? std::get<Blob>(v).data : toText(v).toUtf8();
            ISC_QUAD id{};
            detail::Handle<IBlob> blob(m_db.attachment()->createBlob(st.w(), m_tr.handle(), &id, 0, nullptr));
            st.check();
            for (qsizetype off = 0; off < bytes.size(); off += 32768) {
                const unsigned chunk = unsigned(std::min<qsizetype>(32768, bytes.size() - off));
                blob->putSegment(st.w(), chunk, bytes.constData() + off);
                st.check();
            }
            blob->close(st.w());
            st.check();
            blob.forget();
            std::memcpy(data, &id, sizeof id);
            break;
        }
        default: { // SQL_VARYING
            const QByteArray bytes = toText(v).toUtf8();
            if (bytes.size() > qsizetype(c.length))
                throw DatabaseError(QStringLiteral("Text of %1 bytes is too long for %2 (at most %3)")
                                        .arg(bytes.size())
                                        .arg(what)
                                        .arg(c.length));
            const ISC_USHORT len = ISC_USHORT(bytes.size());
            std::memcpy(data, &len, sizeof len);
            std::memcpy(data + sizeof len, bytes.constData(), size_t(bytes.size()));
            break;
        }
        }
    }

    m_outBuffer.assign(p.outLength, 0);
    m_rowsAffected = 0;
    if (select) {
        IResultSet *rs = p.stmt->openCursor(st.w(), m_tr.handle(), p.inMeta.get(), in.data(), p.outMeta.get(), 0);
        st.check();
        m_cursor = detail::Handle<IResultSet>(rs);
        p.cursorOwner = this;
        m_open = true;
        fetch();
    } else {
        const bool outputs = !p.out.empty();
        p.stmt->execute(st.w(), m_tr.handle(), p.inMeta.get(), in.data(), outputs ? p.outMeta.get() : nullptr,
                        outputs ? m_outBuffer.data() : nullptr);
        st.check();
        m_rowsAffected = std::int64_t(p.stmt->getAffectedRecords(st.w()));
        st.check();
        m_open = true;
        m_eof = !outputs;
    }
}

void Query::fetch()
{
    Status st;
    const int r = m_cursor->fetchNext(st.w(), m_outBuffer.data());
    st.check();
    m_eof = r != IStatus::RESULT_OK;
}

void Query::next()
{
    if (!m_open)
        throw DatabaseError(QStringLiteral("The query is not open"));
    if (m_eof)
        return;
    if (m_cursor)
        fetch();
    else
        m_eof = true;
}

void Query::close() noexcept
{
    if (m_prepared && m_prepared->cursorOwner == this)
        m_prepared->cursorOwner = nullptr;
    if (m_cursor) {
        Status st;
        m_cursor->close(st.w());
        if (st.failed())
            m_cursor.reset();
        else
            m_cursor.forget();
    }
    m_open = false;
    m_eof = true;
}

Param Query::paramByName(const QString &name)
{
    const qsizetype k = m_paramNames.indexOf(name.toUpper());
    if (k < 0)
        throw DatabaseError(QStringLiteral("Parameter \"%1\" not found").arg(name));
    return Param(*this, int(k));
}

Field Query::fieldByName(const QString &name) const
{
    if (!m_open || !m_prepared)
        throw DatabaseError(QStringLiteral("The query is not open (field \"%1\")").arg(name));
    auto it = m_prepared->fieldIndex.constFind(name);
    if (it == m_prepared->fieldIndex.constEnd())
        it = m_prepared->fieldIndex.constFind(name.toUpper());
    if (it == m_prepared->fieldIndex.constEnd())
        throw DatabaseError(QStringLiteral("Field \"%1\" not found").arg(name));
    return Field(*this, *it);
}

int Query::fieldCount() const { return m_prepared ? int(m_prepared->out.size()) : 0; }

QString Query::fieldName(int index) const
{
    if (!m_prepared || index < 0 || index >= fieldCount())
        return QString();
    return m_prepared->out[size_t(index)].name;
}

Value Query::readField(int index) const
{
    if (!m_open || m_eof)
        throw DatabaseError(QStringLiteral("No current row (field \"%1\")").arg(fieldName(index)));
    const detail::Column &c = m_prepared->out[size_t(index)];
    const unsigned char *data = m_outBuffer.data() + c.offset;
    short nullFlag = 0;
    std::memcpy(&nullFlag, m_outBuffer.data() + c.nullOffset, sizeof nullFlag);
    if (nullFlag)
        return Value();
    switch (c.type) {
    case SQL_INT64: {
        std::int64_t x;
        std::memcpy(&x, data, sizeof x);
        return x;
    }
    case SQL_DOUBLE: {
        double x;
        std::memcpy(&x, data, sizeof x);
        return x;
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, data, sizeof ts);
        return decodeTimestamp(ts);
    }
    case SQL_BOOLEAN:
        return *data != FB_FALSE;
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, data, sizeof id);
        if (!m_tr.inTransaction())
            throw DatabaseError(QStringLiteral("Transaction is not active (field \"%1\")").arg(c.name));
        Status st;
        detail::Handle<IBlob> blob(m_db.attachment()->openBlob(st.w(), m_tr.handle(), &id, 0, nullptr));
        st.check();
        QByteArray bytes;
        char buf[32768];
        for (;;) {
            unsigned got = 0;
            const int r = blob->getSegment(st.w(), sizeof buf, buf, &got);
            st.check();
            if (r == IStatus::RESULT_NO_DATA)
                break;
            bytes.append(buf, qsizetype(got));
        }
        blob->close(st.w());
        if (st.failed())
            blob.reset();
        else
            blob.forget();
        if (c.subType == 1)
            return QString::fromUtf8(bytes);
        return Blob{bytes};
    }
    default: {
        ISC_USHORT len;
        std::memcpy(&len, data, sizeof len);
        return QString::fromUtf8(reinterpret_cast<const char *>(data + sizeof len), std::min<qsizetype>(len, c.length));
    }
    }
}

// ---------------------------------------------------------------- Field, Param

bool Field::isNull() const { return std::holds_alternative<std::monostate>(value()); }
Value Field::value() const { return m_query.readField(m_index); }
QString Field::asString() const { return toText(value()); }
std::int64_t Field::asInteger() const { return toInteger(value(), QStringLiteral("field ") + m_query.fieldName(m_index)); }
double Field::asFloat() const { return toFloat(value(), QStringLiteral("field ") + m_query.fieldName(m_index)); }
QDateTime Field::asTimestamp() const { return toTimestamp(value(), QStringLiteral("field ") + m_query.fieldName(m_index)); }
QByteArray Field::asBytes() const
{
    const Value v = value();
    if (auto *b = std::get_if<Blob>(&v))
        return b->data;
    return toText(v).toUtf8();
}

void Param::setValue(const Value &v) { m_query.m_values[size_t(m_index)] = v; }
void Param::setNull() { setValue(Value()); }
void Param::setInteger(std::int64_t v) { setValue(v); }
void Param::setFloat(double v) { setValue(v); }
void Param::setString(const QString &v) { setValue(v); }
void Param::setTimestamp(const QDateTime &v) { setValue(v.isValid() ? Value(v) : Value()); }
void Param::setBlob(const QByteArray &v) { setValue(Blob{v}); }
void Param::setBoolean(bool v) { setValue(v); }

} // namespace fb
