#include "db/FbClient.h"
#include "support/QtPrinters.h"
#include "support/TestCatalogue.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList column(const QString &file, const QString &select)
{
    fb::Database db;
    db.open(file, "SYSDBA");
    fb::Transaction tr(db);
    fb::Query q(db, tr);
    tr.start();
    q.setSql(select);
    QStringList values;
    for (q.open(); !q.eof(); q.next())
        values << q.fieldByName(q.fieldName(0)).asString();
    tr.commit();
    return values;
}

class CatalogueSchemaTest : public ::testing::Test {
protected:
    void SetUp() override { file = testdb::makeCatalogue(dir.path(), "demo.fdb", true); }
    QTemporaryDir dir;
    QString file;
};

} // namespace

TEST_F(CatalogueSchemaTest, ProceduresTakeTheirInputsInOrder)
{
    const QMap<QString, QString> expected = {
        {"INSERT_BASE_PARAM", "I_CLASSDBID I_CLASSID I_UNITDBID I_UNITID I_S_NAME I_S_DESCRIPTION I_V_SELVALTYPE I_UPID "
                              "I_V_FLAG I_C_TIMESTAMP"},
        {"INSERT_ELEMENT_TYPE", "I_CLASSDBID I_CLASSID I_CASEDBID I_CASEID I_MAKERDBID I_MAKERID I_S_TYPENAME "
                                "I_S_MARKING I_S_DESCRIPTION I_B_IMAGE I_S_DATASHEET I_V_FLAG I_C_TIMESTAMP"},
        {"INSERT_PARAM", "I_ELEMENTTYPEDBID I_ELEMENTTYPEID I_BASEPARAMDBID I_BASEPARAMID I_UNITDBID I_UNITID I_S_NAME "
                         "I_S_DESCRIPTION I_V_MINVAL I_V_TYPEVAL I_V_MAXVAL I_S_STRVAL I_V_BOOLVAL I_S_TESTCOND I_UPID "
                         "I_V_FLAG I_C_TIMESTAMP"},
        {"INSERT_PIN", "I_ELEMENTTYPEDBID I_ELEMENTTYPEID I_V_NUM I_S_NAME I_S_DESCRIPTION I_V_ASSIGN I_V_FLAG "
                       "I_C_TIMESTAMP"},
    };
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const auto params = [&](int kind) {
            return column(file, QStringLiteral("SELECT TRIM(RDB$PARAMETER_NAME) FROM RDB$PROCEDURE_PARAMETERS "
                                               "WHERE RDB$PROCEDURE_NAME = '%1' AND RDB$PARAMETER_TYPE = %2 "
                                               "ORDER BY RDB$PARAMETER_NUMBER")
                                    .arg(it.key())
                                    .arg(kind))
                .join(' ');
        };
        EXPECT_EQ(params(0), it.value()) << it.key().toStdString();
        EXPECT_EQ(params(1), "O_DBID O_ID") << it.key().toStdString();
    }
}

TEST_F(CatalogueSchemaTest, ProceduresKeyNewRowsWithTheLocalDbidAndFreshIds)
{
    fb::Database db;
    db.open(file, "SYSDBA");
    fb::Transaction tr(db);
    fb::Query q(db, tr);
    tr.start();
    q.setSql("EXECUTE PROCEDURE INSERT_BASE_PARAM (:I_CLASSDBID, :I_CLASSID, :I_UNITDBID, :I_UNITID, :I_S_NAME, "
             ":I_S_DESCRIPTION, :I_V_SELVALTYPE, :I_UPID, :I_V_FLAG, :I_C_TIMESTAMP)");
    std::int64_t last = 0;
    for (const char *upid : {"NEW1", "NEW2"}) {
        q.paramByName("I_CLASSDBID").setInteger(1);
        q.paramByName("I_CLASSID").setInteger(1);
        q.paramByName("I_UPID").setString(upid);
        q.execute();
        EXPECT_EQ(q.fieldByName("O_DBID").asInteger(), 1);
        EXPECT_GT(q.fieldByName("O_ID").asInteger(), std::max<std::int64_t>(last, 18)); // past the demo rows
        last = q.fieldByName("O_ID").asInteger();
    }
    // An element type must belong to a class that exists, and a class in use
    // cannot go.
    q.setSql("EXECUTE PROCEDURE INSERT_ELEMENT_TYPE (:I_CLASSDBID, :I_CLASSID, :I_CASEDBID, :I_CASEID, :I_MAKERDBID, "
             ":I_MAKERID, :I_S_TYPENAME, :I_S_MARKING, :I_S_DESCRIPTION, :I_B_IMAGE, :I_S_DATASHEET, :I_V_FLAG, "
             ":I_C_TIMESTAMP)");
    q.paramByName("I_CLASSDBID").setInteger(1);
    q.paramByName("I_CLASSID").setInteger(99);
    EXPECT_THROW(q.execute(), fb::FirebirdError);
    q.setSql("DELETE FROM T_CLASS WHERE DBID = 1 AND ID = 3");
    EXPECT_THROW(q.execute(), fb::FirebirdError);
    tr.commit();
}

TEST_F(CatalogueSchemaTest, LookupsAreCaseInsensitiveAndDemoRowsServeThePatterns)
{
    EXPECT_EQ(testdb::queryValue(file, "SELECT UPCASE('straße ähm x7r') FROM RDB$DATABASE"), "STRAßE ÄHM X7R");
    EXPECT_EQ(testdb::queryValue(file, "SELECT FIRST 1 SKIP 0 ID FROM T_ELEMENT_TYPE WHERE UPCASE(S_TYPENAME) = "
                                       "'ATMEGA328P-PU' AND CLASSDBID = 1 AND CLASSID = 4"),
              "6");
    // Some base parameters have no UPID (left out of patterns), some units
    // are found by symbol and some cases have pin counts and pins.
    EXPECT_EQ(testdb::queryValue(file, "SELECT COUNT(*) FROM T_BASE_PARAM WHERE UPID IS NULL"), "3");
    EXPECT_EQ(testdb::queryValue(file, "SELECT FIRST 1 SKIP 0 ID FROM T_UNIT WHERE (UPCASE(S_PREFIX) = 'OHM') OR "
                                       "(UPCASE(S_NAME) = 'OHM')"),
              "1");
    EXPECT_EQ(testdb::queryValue(file, "SELECT COUNT(*) FROM T_PIN P JOIN T_ELEMENT_TYPE E ON E.DBID = P.ELEMENTTYPEDBID "
                                       "AND E.ID = P.ELEMENTTYPEID JOIN T_CASE C ON C.DBID = E.CASEDBID AND C.ID = "
                                       "E.CASEID WHERE E.S_TYPENAME = 'LM358D' AND C.V_PINCOUNT = 8"),
              "8");
}
