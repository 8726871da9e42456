// The text format of the store's files: what the writer writes and what the reader accepts.

#include "presets/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextCodec>
#include <QtTest>

class tst_JsonText : public QObject
{
    Q_OBJECT
private slots:
    void writesTheFileFormat();
    void writesWhatItReads_data();
    void writesWhatItReads();
    void readsUtf8AndCleanGbk();
    void rejectsDamagedText_data();
    void rejectsDamagedText();
    void readsAStrayByteAsReplacement();
};

void tst_JsonText::writesTheFileFormat()
{
    const QJsonObject object{{"zeta", 1},
                             {"Alpha", QJsonArray{3, -12}},
                             {"beta", QJsonObject{{"b", true}, {"a", "x"}}},
                             {"empty", QJsonArray{}},
                             {"gain", 2.0}};
    const QByteArray expected = "{\r\n"
                                "    \"Alpha\": [\r\n"
                                "        3,\r\n"
                                "        -12\r\n"
                                "    ],\r\n"
                                "    \"beta\": {\r\n"
                                "        \"a\": \"x\",\r\n"
                                "        \"b\": true\r\n"
                                "    },\r\n"
                                "    \"empty\": [],\r\n"
                                "    \"gain\": 2,\r\n"
                                "    \"zeta\": 1\r\n"
                                "}\r\n";
    QCOMPARE(JsonText::serialize(object), expected);
    // A number no integer can hold (hand-edited, 1e300) is written as 0, never cast.
    QCOMPARE(JsonText::serialize({{"n", 1e300}, {"m", -1e19}}),
             QByteArray("{\r\n    \"m\": 0,\r\n    \"n\": 0\r\n}\r\n"));
}

void tst_JsonText::writesWhatItReads_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << "Pack&Roll";
    QTest::newRow("quotes and backslash") << "a \"b\" \\c/";
    QTest::newRow("control characters") << QString("tab\there\nnew\r\x01\x1f");
    QTest::newRow("chinese") << QString::fromUtf8("自定义 模式");
    QTest::newRow("outside the BMP") << QString::fromUtf8("\xF0\x9F\x8E\xA7 headset");
}

void tst_JsonText::writesWhatItReads()
{
    QFETCH(QString, text);
    const QJsonObject object{{text, text}, {"list", QJsonArray{text, 0}}};
    const QByteArray bytes = JsonText::serialize(object);
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(!bytes.contains("\n\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    const JsonText::Parsed parsed = JsonText::parse(bytes);
    QCOMPARE(parsed.status, JsonText::Status::Ok);
    QCOMPARE(parsed.object, object);
    // Qt's own parser agrees with the text.
    QCOMPARE(QJsonDocument::fromJson(bytes).object(), object);
}

void tst_JsonText::readsUtf8AndCleanGbk()
{
    const QString name = QString::fromUtf8("游戏模式");
    const QString json = "{\"name\": \"" + name + "\"}";

    JsonText::Parsed parsed = JsonText::parse(json.toUtf8());
    QCOMPARE(parsed.status, JsonText::Status::Ok);
    QVERIFY(!parsed.fromGbk);
    QCOMPARE(parsed.object.value("name").toString(), name);

    parsed = JsonText::parse("\xEF\xBB\xBF" + json.toUtf8());
    QCOMPARE(parsed.status, JsonText::Status::Ok);
    QCOMPARE(parsed.object.value("name").toString(), name);

    const QByteArray gbk = QTextCodec::codecForName("GBK")->fromUnicode(json);
    QVERIFY(gbk != json.toUtf8());
    parsed = JsonText::parse(gbk);
    QCOMPARE(parsed.status, JsonText::Status::Ok);
    QVERIFY(parsed.fromGbk);
    QCOMPARE(parsed.object.value("name").toString(), name);

    // As Notepad on a Chinese Windows saves it in "ANSI" (code page 936): the
    // bytes themselves, CR LF line ends, no byte-order mark.
    parsed = JsonText::parse("{\r\n    \"name\": \"\xD3\xCE\xCF\xB7\xC4\xA3\xCA\xBD\"\r\n}\r\n");
    QCOMPARE(parsed.status, JsonText::Status::Ok);
    QVERIFY(parsed.fromGbk);
    QCOMPARE(parsed.object.value("name").toString(), name);

    QCOMPARE(JsonText::parse("[1, 2]").status, JsonText::Status::NotAnObject);
}

void tst_JsonText::rejectsDamagedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray utf8 = QString::fromUtf8("{\"name\": \"游戏\"}").toUtf8();
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("half written") << utf8.left(utf8.size() / 2);
    QTest::newRow("not json") << QByteArray("name = Pop");
    // A lead byte cut off at the very end.
    QTest::newRow("cut-off sequence") << QByteArray("{}\xE6\xB8");
    // Clean GBK text that does not parse.
    QTest::newRow("gbk, no json") << QTextCodec::codecForName("GBK")->fromUnicode(
        QString::fromUtf8("{\"游戏\""));
}

void tst_JsonText::rejectsDamagedText()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(JsonText::parse(bytes).status, JsonText::Status::Unreadable);
}

void tst_JsonText::readsAStrayByteAsReplacement()
{
    // One byte that is neither UTF-8 nor GBK must not hide the rest of the file.
    QByteArray damaged = QString::fromUtf8("{\"name\": \"游戏\", \"x\": \"Caf\"}").toUtf8();
    damaged.insert(damaged.lastIndexOf("\""), char(0xE9));
    const JsonText::Parsed parsed = JsonText::parse(damaged);
    QCOMPARE(parsed.status, JsonText::Status::Ok);
    QVERIFY(parsed.replaced && !parsed.fromGbk);
    QCOMPARE(parsed.object.value("name").toString(), QString::fromUtf8("游戏"));
    QCOMPARE(parsed.object.value("x").toString(), QString::fromUtf8("Caf\uFFFD"));
    QVERIFY(!JsonText::parse(QString::fromUtf8("{\"name\": \"游戏\"}").toUtf8()).replaced);
}

QTEST_GUILESS_MAIN(tst_JsonText)
#include "tst_JsonText.moc"
