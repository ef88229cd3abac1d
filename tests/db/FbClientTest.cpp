#include "db/FbClient.h"
#include "db/SqlScript.h"
#include "support/QtPrinters.h"
#include "support/TestCatalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace fb;

TEST(NamedParams, ScanSkipsQuotesAndComments)
{
    struct Case {
        const char *in;
        const char *sql;
        QStringList names;
    };
    const Case cases[] = {
        {"SELECT * FROM T WHERE A = :A AND B = :b_2", "SELECT * FROM T WHERE A = ? AND B = ?", {"A", "B_2"}},
        {"WHERE UPCASE(S_NAME) = :VAR_NAME OR UPCASE(S_PREFIX) = :VAR_NAME", "WHERE UPCASE(S_NAME) = ? OR UPCASE(S_PREFIX) = ?",
         {"VAR_NAME", "VAR_NAME"}},
        {"WHERE S = ':NOT' AND T = :P", "WHERE S = ':NOT' AND T = ?", {"P"}},
        {"WHERE S = 'it''s :NOT' AND T = :P", "WHERE S = 'it''s :NOT' AND T = ?", {"P"}},
        {"SELECT \"a:b\" FROM T WHERE X=:X", "SELECT \"a:b\" FROM T WHERE X=?", {"X"}},
        {"SELECT 1 -- :C\nFROM T /* :D */ WHERE E = :E", "SELECT 1 -- :C\nFROM T /* :D */ WHERE E = ?", {"E"}},
        {"SELECT a::b, ': ', x : 1, :1 FROM T", "SELECT a::b, ': ', x : 1, :1 FROM T", {}},
        {"SELECT RDB$RELATION_NAME FROM R WHERE N=:N$1", "SELECT RDB$RELATION_NAME FROM R WHERE N=?", {"N$1"}},
        {"WHERE S = 'unterminated :X", "WHERE S = 'unterminated :X", {}},
    };
    for (const Case &c : cases) {
        const ParsedSql p = parseNamedParams(QString::fromUtf8(c.in));
        EXPECT_EQ(p.sql, QString::fromUtf8(c.sql)) << c.in;
        EXPECT_EQ(p.names, c.names) << c.in;
    }
}

TEST(SqlScript, SplitsOnTheCurrentTerminator)
{
    const QString script = QStringLiteral(
        "-- leading comment; with a semicolon\n"
        "CREATE TABLE A (S VARCHAR(10) DEFAULT ';');\n"
        "/* block ; comment */\n"
        "SET TERM ^ ;\n"
        "CREATE PROCEDURE P AS BEGIN\n  INSERT INTO A VALUES ('x;^');\nEND^\n"
        "set term ; ^\n"
        "INSERT INTO A VALUES ('y');\n"
        "  ;  \n"
        "INSERT INTO A VALUES ('no terminator')");
    const auto st = splitScript(script);
    ASSERT_EQ(st.size(), 4);
    EXPECT_EQ(st[0].sql, "-- leading comment; with a semicolon\nCREATE TABLE A (S VARCHAR(10) DEFAULT ';')");
    EXPECT_EQ(st[1].sql, "CREATE PROCEDURE P AS BEGIN\n  INSERT INTO A VALUES ('x;^');\nEND");
    EXPECT_EQ(st[1].line, 5);
    EXPECT_EQ(st[2].sql, "INSERT INTO A VALUES ('y')");
    EXPECT_EQ(st[3].sql, "INSERT INTO A VALUES ('no terminator')");
    EXPECT_THROW(splitScript(QStringLiteral("SET TERM;")), DatabaseError);
}

class FbClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = testdb::makeCatalogue(dir.path(), QStringLiteral("c.fdb"), true);
        db.open(file, QStringLiteral("SYSDBA"));
    }
    QTemporaryDir dir;
    QString file;
    Database db;
    Transaction tr{db};
    Query q{db, tr};
};

TEST_F(FbClientTest, ValuesRoundTripWithNullVisible)
{
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58, 125));
    const QByteArray image("\x00\x01\xff png", 8);
    tr.start();
    q.setSql(QStringLiteral("EXECUTE PROCEDURE INSERT_ELEMENT_TYPE (:I_CLASSDBID, :I_CLASSID, :I_CASEDBID, :I_CASEID, "
                            ":I_MAKERDBID, :I_MAKERID, :I_S_TYPENAME, :I_S_MARKING, :I_S_DESCRIPTION, :I_B_IMAGE, "
                            ":I_S_DATASHEET, :I_V_FLAG, :I_C_TIMESTAMP)"));
    q.paramByName("I_CLASSDBID").setInteger(1);
    q.paramByName("i_classid").setInteger(1);
    q.paramByName("I_CASEDBID").set(std::optional<std::int64_t>());
    q.paramByName("I_S_TYPENAME").setString(QStringLiteral("Ω-Widerstand ÄÖÜ"));
    q.paramByName("I_B_IMAGE").setBlob(image);
    q.paramByName("I_V_FLAG").setInteger(0xFFFFFFFFll);
    q.paramByName("I_C_TIMESTAMP").setTimestamp(when);
    q.execute();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fieldByName("O_DBID").asInteger(), 1);
    const std::int64_t id = q.fieldByName("O_ID").asInteger();
    EXPECT_GE(id, 100);
    tr.commit();

    tr.start();
    q.setSql(QStringLiteral("SELECT S_TYPENAME, S_MARKING, CASEID, B_IMAGE, V_FLAG, C_TIMESTAMP FROM T_ELEMENT_TYPE "
                            "WHERE DBID = :D AND ID = :I"));
    q.paramByName("D").setInteger(1);
    q.paramByName("I").setInteger(id);
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fieldByName("S_TYPENAME").asString(), QStringLiteral("Ω-Widerstand ÄÖÜ"));
    EXPECT_TRUE(q.fieldByName("S_MARKING").isNull()); // never set: NULL
    EXPECT_TRUE(q.fieldByName("CASEID").isNull());
    EXPECT_EQ(q.fieldByName("CASEID").asInteger(), 0);
    EXPECT_EQ(q.fieldByName("B_IMAGE").asBytes(), image);
    EXPECT_EQ(q.fieldByName("v_flag").asInteger(), 0xFFFFFFFFll);
    EXPECT_EQ(q.fieldByName("C_TIMESTAMP").asTimestamp(), when);
    q.next();
    EXPECT_TRUE(q.eof());
    tr.commit();
}

TEST_F(FbClientTest, NumbersAndTextConvertOrFailClearly)
{
    tr.start();
    q.setSql(QStringLiteral("SELECT V_TYPEVAL, S_NAME, V_MINVAL FROM T_PARAM WHERE DBID = 1 AND ID = :ID"));
    q.paramByName("ID").setString(QStringLiteral(" 1 ")); // text for an integer parameter
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_DOUBLE_EQ(q.fieldByName("V_TYPEVAL").asFloat(), 10000.0);
    EXPECT_EQ(q.fieldByName("V_TYPEVAL").asInteger(), 10000);
    EXPECT_EQ(q.fieldByName("V_TYPEVAL").asString(), "10000");
    EXPECT_THROW(q.fieldByName("S_NAME").asInteger(), DatabaseError); // "Resistance"
    EXPECT_TRUE(q.fieldByName("V_MINVAL").isNull());
    EXPECT_EQ(q.fieldByName("V_MINVAL").asFloat(), 0.0);
    EXPECT_THROW(q.fieldByName("NOPE"), DatabaseError);
    EXPECT_THROW(q.paramByName("NOPE"), DatabaseError);
    q.paramByName("ID").setString(QStringLiteral("one"));
    EXPECT_THROW(q.open(), DatabaseError);
    tr.rollback();
}

TEST_F(FbClientTest, NothingRunsOutsideAStartedTransaction)
{
    q.setSql(QStringLiteral("SELECT COUNT(*) AS N FROM T_CLASS"));
    EXPECT_THROW(q.open(), DatabaseError);
    EXPECT_FALSE(tr.inTransaction());
    EXPECT_THROW(tr.commit(), DatabaseError);
    tr.start();
    EXPECT_THROW(tr.start(), DatabaseError);
    q.open();
    EXPECT_EQ(q.fieldByName("N").asInteger(), 5);
    tr.commit();
    EXPECT_FALSE(q.isOpen()); // commit closes the query's cursor
}

TEST_F(FbClientTest, ReRunningATextPreparesItOnce)
{
    const QString insert = QStringLiteral("EXECUTE PROCEDURE INSERT_PIN (:I_ELEMENTTYPEDBID, :I_ELEMENTTYPEID, :I_V_NUM, "
                                          ":I_S_NAME, :I_S_DESCRIPTION, :I_V_ASSIGN, :I_V_FLAG, :I_C_TIMESTAMP)");
    const QString lookup = QStringLiteral("SELECT FIRST 1 SKIP 0 ID FROM T_PIN WHERE V_NUM = :VAR_V_NUM AND "
                                          "ELEMENTTYPEDBID = :VAR_ELEMENTTYPEDBID AND ELEMENTTYPEID = :VAR_ELEMENTTYPEID");
    const int before = db.prepareCount();
    for (int pin = 1; pin <= 200; ++pin) {
        tr.start(); // a transaction per row, as the imports do
        q.close();
        q.setSql(lookup);
        q.paramByName("VAR_V_NUM").setInteger(pin);
        q.paramByName("VAR_ELEMENTTYPEDBID").setInteger(1);
        q.paramByName("VAR_ELEMENTTYPEID").setInteger(8);
        q.open();
        ASSERT_TRUE(q.eof());
        q.close();
        q.setSql(insert);
        q.paramByName("I_ELEMENTTYPEDBID").setInteger(1);
        q.paramByName("I_ELEMENTTYPEID").setInteger(8);
        q.paramByName("I_V_NUM").setInteger(pin);
        q.paramByName("I_S_NAME").setString(QStringLiteral("P%1").arg(pin));
        q.execute();
        tr.commit();
    }
    EXPECT_EQ(db.prepareCount() - before, 2);
    EXPECT_EQ(testdb::queryValue(file, "SELECT COUNT(*) FROM T_PIN WHERE ELEMENTTYPEID = 8"), "200");
    // Parameters do not leak from one text to the next: setSql makes them NULL.
    EXPECT_EQ(testdb::queryValue(file, "SELECT COUNT(*) FROM T_PIN WHERE ELEMENTTYPEID = 8 AND S_DESCRIPTION IS NULL"),
              "200");
}

TEST_F(FbClientTest, TwoQueriesReadTheSameTextAtOnce)
{
    Query inner(db, tr);
    const QString text = QStringLiteral("SELECT ID FROM T_CLASS WHERE ID >= :FROM_ID ORDER BY ID");
    tr.start();
    q.setSql(text);
    q.paramByName("FROM_ID").setInteger(4);
    q.open();
    QStringList pairs;
    while (!q.eof()) {
        inner.setSql(text);
        inner.paramByName("FROM_ID").setInteger(5);
        inner.open();
        pairs << q.fieldByName("ID").asString() + ":" + inner.fieldByName("ID").asString();
        inner.close();
        q.next();
    }
    tr.commit();
    EXPECT_EQ(pairs, QStringList({"4:5", "5:5"}));
    db.close(); // both statements released before the detach
    EXPECT_TRUE(QFile::remove(file));
}

TEST_F(FbClientTest, EngineErrorsCarryTheEngineTextAndLeaveTheTransactionUsable)
{
    tr.start();
    q.setSql(QStringLiteral("INSERT INTO T_PIN (DBID, ID, ELEMENTTYPEDBID, ELEMENTTYPEID, V_NUM) VALUES (1, 500, 9, 999, 1)"));
    try {
        q.execute();
        FAIL() << "a pin of a missing element type was inserted";
    } catch (const FirebirdError &e) {
        EXPECT_EQ(e.className(), "FirebirdError");
        EXPECT_TRUE(e.message().contains("FK_T_PIN_ELEMENT_TYPE")) << e.message().toStdString();
    }
    tr.rollback();
    tr.start();
    q.setSql(QStringLiteral("UPDATE T_CLASS SET S_DESCRIPTION = :D WHERE DBID = 1"));
    // Too long by characters (the engine says so) and by bytes (refused before sending).
    q.paramByName("D").setString(QString(1025, u'x'));
    EXPECT_THROW(q.execute(), FirebirdError);
    q.paramByName("D").setString(QStringLiteral("\U0001F600").repeated(1025));
    EXPECT_THROW(q.execute(), DatabaseError);
    q.paramByName("D").setString(QStringLiteral("ok"));
    q.execute();
    EXPECT_EQ(q.rowsAffected(), 5);
    tr.commit();
}

TEST_F(FbClientTest, CloseRollsBackAndReleasesTheFile)
{
    tr.start();
    q.setSql(QStringLiteral("DELETE FROM T_PIN"));
    q.execute();
    q.setSql(QStringLiteral("SELECT ID FROM T_CLASS"));
    q.open(); // an open cursor as well
    db.close();
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(tr.inTransaction());
    EXPECT_FALSE(q.isOpen());
    EXPECT_EQ(testdb::queryValue(file, "SELECT COUNT(*) FROM T_PIN"), "13");

    // The query prepares again on the next connection.
    db.open(file, QStringLiteral("SYSDBA"));
    tr.start();
    q.open();
    EXPECT_FALSE(q.eof());
    tr.commit();
    db.close();
    EXPECT_TRUE(QFile::remove(file));
}
