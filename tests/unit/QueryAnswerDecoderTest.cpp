// Query answers decoded into record sets: where each member may stand, what is read, what is
// skipped and which texts are refused. Answers reach the decoder as a query's answer does.
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "HandlerTestSupport.h"
#include "LogCapture.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// One row per {...}: key=value in key order, a null value shown as ~ (an empty one as nothing).
QString render(const RecordSet& _rows)
{
    QString strOut;
    for (const QMap<QString, QString>* pRow : _rows) {
        QStringList cells;
        for (auto it = pRow->cbegin(); it != pRow->cend(); ++it) {
            cells << it.key() + "=" + (it.value().isNull() ? QStringLiteral("~") : it.value());
        }
        strOut += "{" + cells.join(",") + "}";
    }
    return strOut;
}

const char* const kRefused = "refused";

struct DecodeCase
{
    const char* name;
    const char* answer;
    const char* rows;        // render() of the record set, or kRefused for a null result
    const char* level3Line;  // expected "DB error reason" line, or null for none at all
};

void PrintTo(const DecodeCase& _case, std::ostream* _pOut)
{
    *_pOut << _case.answer;
}

class AnswerQueries : public RemoteDBHandlerRequests
{
protected:
    // The rendered record set of a query answered with _strAnswer (kRefused for null).
    QString query(const QString& _strAnswer)
    {
        answer(0, _strAnswer);
        RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", "SELECT", 3);
        if (pRows == nullptr) {
            return kRefused;
        }
        const QString strOut = render(*pRows);
        CLS_BaseEntityDAO::FreeRecordSet(pRows);
        return strOut;
    }
};

class QueryAnswerDecoding : public AnswerQueries, public ::testing::WithParamInterface<DecodeCase>
{
};

TEST_P(QueryAnswerDecoding, Rows)
{
    const DecodeCase& c = GetParam();
    LogCapture log;
    EXPECT_EQ(query(QString::fromUtf8(c.answer)), QString::fromUtf8(c.rows));
    if (c.level3Line != nullptr) {
        EXPECT_TRUE(log.has(3, QString::fromUtf8(c.level3Line))) << log.dump().toStdString();
    } else {
        EXPECT_FALSE(log.hasPart(3, "DB error reason")) << log.dump().toStdString();
    }
}

#define ROW1 R"({"record":[{"key":"A","value":"1"}]})"

INSTANTIATE_TEST_SUITE_P(
    MemberOrder, QueryAnswerDecoding,
    ::testing::Values(
        DecodeCase{"resultAfterData", R"({"data":{"ret":[)" ROW1 R"(]},"result":"OK"})", "{A=1}", nullptr},
        DecodeCase{"errorAfterDataDropsRows",
                   R"({"data":{"ret":[)" ROW1 R"(]},"result":"ERROR","reason":"busy"})", kRefused,
                   "DB error reason:busy"},
        DecodeCase{"reasonBeforeResult", R"({"reason":"locked","data":{"ret":[]},"result":"NO"})", kRefused,
                   "DB error reason:locked"},
        DecodeCase{"reasonNotText", R"({"result":"NO","reason":{"text":"x"}})", kRefused, "DB error reason:"},
        DecodeCase{"resultNotText", R"({"result":["OK"],"data":{"ret":[]}})", kRefused, nullptr},
        DecodeCase{"resultLongerThanOk", R"({"result":"OKAY","data":{"ret":[]}})", kRefused, nullptr},
        DecodeCase{"okWithReasonLogsNothing", R"({"reason":"fine","result":"OK"})", "", nullptr},
        DecodeCase{"valueBeforeKey",
                   R"({"result":"OK","data":{"ret":[{"record":[{"value":"v","key":"K"}]}]}})", "{K=v}",
                   nullptr},
        DecodeCase{
            "recordAfterOtherMembers",
            R"({"result":"OK","data":{"n":2,"ret":[{"id":1,"x":[{}],"record":[{"key":"A","value":"1"}],"z":{}}]}})",
            "{A=1}", nullptr},
        DecodeCase{"escapedMemberNames",
                   R"({"re\u0073ult":"\u004fK","data":{"ret":[{"record":[{"k\u0065y":"A","value":"1"}]}]}})",
                   "{A=1}", nullptr}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    RepeatedNames, QueryAnswerDecoding,
    ::testing::Values(
        DecodeCase{"topLevel", R"({"result":"OK","x":1,"data":{"ret":[]},"x":"2"})", kRefused, nullptr},
        DecodeCase{"topLevelInErrorAnswer", R"({"result":"NO","reason":"a","reason":"b"})", kRefused,
                   nullptr},
        DecodeCase{"inData", R"({"result":"OK","data":{"a":1,"ret":[],"a":1}})", kRefused, nullptr},
        DecodeCase{"rowObject", R"({"result":"OK","data":{"ret":[{"record":[],"record":[]}]}})", kRefused,
                   nullptr},
        DecodeCase{"rowExtraMember",
                   R"({"result":"OK","data":{"ret":[)" ROW1 R"(,{"x":1,"record":[],"x":2}]}})", kRefused,
                   nullptr},
        DecodeCase{"cellObject",
                   R"({"result":"OK","data":{"ret":[{"record":[{"key":"K","value":"v","value":"w"}]}]}})",
                   kRefused, nullptr},
        DecodeCase{"insideCellValue",
                   R"({"result":"OK","data":{"ret":[{"record":[{"key":"K","value":{"a":{"b":1,"b":2}}}]}]}})",
                   kRefused, nullptr},
        DecodeCase{"insideIgnoredArray", R"({"result":"OK","extra":[{"q":1},{"q":1,"q":2}]})", kRefused,
                   nullptr},
        DecodeCase{"afterAChildObjectClosed", R"({"result":"OK","a":{"b":1,"c":{"d":1}},"c":1,"a":2})",
                   kRefused, nullptr},
        DecodeCase{"sameTextOnceEscaped", R"({"result":"OK","result":"\u004fK"})", kRefused, nullptr},
        // Names are per object: siblings and parent/child may share them.
        DecodeCase{"siblingsAndChildrenMayShare",
                   R"({"result":"OK","a":{"a":{"a":1},"b":1},"b":[{"a":1},{"a":1}],"data":{"ret":[)" ROW1
                   "," ROW1 R"(]}})",
                   "{A=1}{A=1}", nullptr}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Shapes, QueryAnswerDecoding,
    ::testing::Values(
        DecodeCase{
            "valuesThatAreNotText",
            R"({"result":"OK","data":{"ret":[{"record":[{"key":"N","value":5},{"key":"D","value":-1.5e3},
                   {"key":"B","value":false},{"key":"Z","value":null},{"key":"O","value":{"value":"no"}},
                   {"key":"L","value":["no"]},{"key":"E","value":""},{"key":"M"}]}]}})",
            "{B=~,D=~,E=,L=~,M=~,N=~,O=~,Z=~}", nullptr},
        DecodeCase{
            "keysThatAreNotText",
            R"({"result":"OK","data":{"ret":[{"record":[{"key":5,"value":"a"}]},{"record":[{"value":"b"}]},
                   {"record":[{"key":{"key":"K"},"value":"c"}]}]}})",
            "{=a}{=b}{=c}", nullptr},
        DecodeCase{"nestedExtrasDoNotLeak",
                   R"({"result":"OK","x":{"data":{"ret":[)" ROW1
                   R"(]}},"data":{"ret":[{"meta":{"record":[{"key":"Z",
                   "value":"z"}]},"record":[{"key":"A","value":"1","extra":{"key":"X","value":"Y"}},
                   {"key":"B","value":"2","more":[{"key":"X"}]}]}]}})",
                   "{A=1,B=2}", nullptr},
        DecodeCase{"rowsThatAreNotObjects",
                   R"({"result":"OK","data":{"ret":[1,"s",null,[)" ROW1 R"(],{"norecord":[)" ROW1
                   R"(]},)" ROW1 R"(]}})",
                   "{}{}{}{}{}{A=1}", nullptr},
        DecodeCase{"recordNotArray", R"({"result":"OK","data":{"ret":[{"record":{"key":"A","value":"1"}}]}})",
                   "{}", nullptr},
        DecodeCase{
            "columnsThatAreNotObjects",
            R"({"result":"OK","data":{"ret":[{"record":[{"key":"A","value":"1"},7,["x"],{"key":"B","value":"2"}]}]}})",
            "{=~,A=1,B=2}", nullptr},
        DecodeCase{"dataNotObject", R"({"result":"OK","data":[{"ret":[)" ROW1 R"(]}]})", "", nullptr},
        DecodeCase{"retNotArray", R"({"result":"OK","data":{"ret":)" ROW1 R"(}})", "", nullptr},
        // Column names are shared per position: a row with other names or another order still
        // reads its own.
        DecodeCase{
            "columnsChangeBetweenRows",
            R"({"result":"OK","data":{"ret":[{"record":[{"key":"A","value":"1"},{"key":"B","value":"2"}]},
                   {"record":[{"key":"B","value":"3"},{"key":"A","value":"4"}]},{"record":[{"key":"C","value":"5"}]},
                   {"record":[{"key":"A","value":"6"},{"key":"B","value":"7"},{"key":"B","value":"8"}]}]}})",
            "{A=1,B=2}{A=4,B=3}{C=5}{A=6,B=8}", nullptr},
        DecodeCase{
            "escapedText",
            R"({"result":"OK","data":{"ret":[{"record":[{"key":"\u00c9","value":"a\"b\\c\n\ud83d\ude00"}]}]}})",
            "{\xc3\x89=a\"b\\c\n\xf0\x9f\x98\x80}", nullptr},
        DecodeCase{"whitespaceAround", " \t\r\n{ \"result\" : \"OK\" , \"data\" : { \"ret\" : [ ] } } \n", "",
                   nullptr},
        DecodeCase{"rootText", R"("OK")", kRefused, nullptr},
        DecodeCase{"rootNull", "null", kRefused, nullptr},
        DecodeCase{"rootArrayOfAnswer", R"([{"result":"OK"}])", kRefused, nullptr},
        DecodeCase{"twoRoots", R"({"result":"OK"}{"result":"OK"})", kRefused, nullptr},
        DecodeCase{"cutShort", R"({"result":"OK","data":{"ret":[)" ROW1, kRefused, nullptr},
        DecodeCase{"cutShortAfterAnError", R"({"result":"NO","reason":"r")", kRefused, nullptr}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

// ---- answers of unusual size ----

// A flat object with _iMembers names m0, m1, ...; _iRepeat >= 0 names m<_iRepeat> once more at
// the end.
QString flatObject(int _iMembers, int _iRepeat)
{
    QString strOut = "{";
    for (int i = 0; i < _iMembers; ++i) {
        strOut += QString("\"m%1\":%1,").arg(i);
    }
    if (_iRepeat >= 0) {
        strOut += QString("\"m%1\":0,").arg(_iRepeat);
    }
    strOut += "\"z\":[]}";
    return strOut;
}

TEST_F(AnswerQueries, LargeObjectsStillFindRepeatedNames)
{
    const QString strRow = R"({"record":[{"key":"A","value":"1"}]})";
    // Sizes around the point where an object's names move to a set, and a hostile one.
    for (int iMembers : {15, 16, 17, 40, 100000}) {
        const QString strFlat = flatObject(iMembers, -1);
        EXPECT_EQ(query(R"({"result":"OK","big":)" + strFlat + R"(,"data":{"ret":[)" + strRow + "]}}"),
                  QString("{A=1}"))
            << iMembers;
        for (int iRepeat : {0, iMembers / 2, iMembers - 1}) {
            EXPECT_EQ(query(R"({"result":"OK","big":)" + flatObject(iMembers, iRepeat) + "}"), kRefused)
                << iMembers << " " << iRepeat;
        }
        // A row with many other members still finds its record, and the top level its members.
        QString strBigRow = strFlat;
        strBigRow.insert(1, R"("record":[{"key":"B","value":"2"}],)");
        EXPECT_EQ(query(R"({"result":"OK","data":{"ret":[)" + strBigRow + "]}}"), QString("{B=2}"))
            << iMembers;
        QString strBigTop = strFlat;
        strBigTop.chop(1);
        EXPECT_EQ(query(strBigTop + R"(,"data":{"ret":[)" + strRow + R"(]},"result":"OK"})"),
                  QString("{A=1}"))
            << iMembers;
        EXPECT_EQ(query(strBigTop + R"(,"result":"OK","m3":1})"), kRefused) << iMembers;
    }
}

TEST_F(AnswerQueries, DeepNestingIsReadWithoutRecursion)
{
    const int iDepth = 200000;
    const QString strArrays = QString("[").repeated(iDepth) + QString("]").repeated(iDepth);
    const QString strObjects = QString(R"({"a":)").repeated(iDepth) + "1" + QString("}").repeated(iDepth);
    for (const QString& strDeep : {strArrays, strObjects}) {
        EXPECT_EQ(query(R"({"result":"OK","data":{"ret":[{"record":[{"key":"K","value":)" + strDeep +
                        R"(},{"key":"L","value":"l"}]}]}})"),
                  QString("{K=~,L=l}"));
        // Deep but never closed.
        EXPECT_EQ(query(R"({"result":"OK","deep":)" + strDeep.left(strDeep.size() / 2)), kRefused);
    }
    // A repeat at the bottom of a deep nest.
    EXPECT_EQ(query(R"({"result":"OK","deep":)" + QString(R"({"a":)").repeated(1000) + R"({"b":1,"b":2})" +
                    QString("}").repeated(1000) + "}"),
              kRefused);
}

}  // namespace
