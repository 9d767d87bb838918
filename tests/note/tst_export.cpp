#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

// The command-line companion as a user runs it.
class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void exitStatus_data();
    void exitStatus();
    void jsonHasOneObjectPerFileInOrder();
    void textShowsTheWindowLabels();
    void shortDateOption();

private:
    struct Run
    {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };
    static Run run(const QStringList &arguments);
    static QString golden(const char *name)
    {
        return QStringLiteral(QUILLET_TEST_DATA "/golden/") + QLatin1String(name);
    }
};

TestExport::Run TestExport::run(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUILLET_EXPORT_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    Run result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestExport::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");

    const QString good = golden("phone-ru-crlf.vnt");
    QTest::newRow("accepted") << QStringList{good} << 0;
    QTest::newRow("all accepted, json") << QStringList{"--format", "json", good, good} << 0;
    QTest::newRow("one rejected") << QStringList{good, golden("no-end-marker.vnt")} << 1;
    QTest::newRow("one unreadable") << QStringList{good, "/nonexistent/a.vnt"} << 1;
    QTest::newRow("directory") << QStringList{"--format", "json", QUILLET_TEST_DATA} << 1;
    QTest::newRow("no file") << QStringList{} << 2;
    QTest::newRow("unknown option") << QStringList{"--frobnicate", good} << 2;
    QTest::newRow("unknown format") << QStringList{"--format", "xml", good} << 2;
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("version") << QStringList{"--version"} << 0;
}

void TestExport::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    const Run result = run(arguments);
    QCOMPARE(result.status, status);
    if (status == 2)
        QVERIFY(!result.err.isEmpty());
}

void TestExport::jsonHasOneObjectPerFileInOrder()
{
    const QStringList files{golden("phone-en-lf.vnt"), "/nonexistent/a.vnt",
                            golden("no-begin-marker.vnt")};
    const Run result = run(QStringList{"--format", "json"} + files);
    QCOMPARE(result.status, 1);
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &parseError);
    QCOMPARE(parseError.error, QJsonParseError::NoError);
    const QJsonArray array = document.array();
    QCOMPARE(array.size(), 3);

    const QStringList keys{"accepted", "body",     "created", "error",
                           "file",     "modified", "title",   "version"};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject object = array[i].toObject();
        QStringList sorted = object.keys();
        sorted.sort();
        QCOMPARE(sorted, keys);
        QCOMPARE(object[u"file"].toString(), files[i]);
    }
    const QJsonObject accepted = array[0].toObject();
    QCOMPARE(accepted[u"accepted"].toBool(), true);
    QCOMPARE(accepted[u"title"].toString(), QStringLiteral("Quillet [phone-en-lf.vnt]"));
    QCOMPARE(accepted[u"created"].toString(),
             QStringLiteral("понедельник, 15 января 2024 г., 10:15:00"));
    QCOMPARE(accepted[u"body"].toString(),
             QStringLiteral("Dentist, Tuesday 9:30.\r\nAsk about the invoice from March."));
    QCOMPARE(accepted[u"error"].toString(), QString());

    const QJsonObject unreadable = array[1].toObject();
    QCOMPARE(unreadable[u"accepted"].toBool(), false);
    QCOMPARE(unreadable[u"title"].toString(), QStringLiteral("Quillet"));
    QCOMPARE(unreadable[u"error"].toString(),
             QStringLiteral("/nonexistent/a.vnt\n\nНе удалось прочесть файл."));

    const QJsonObject rejected = array[2].toObject();
    QCOMPARE(rejected[u"accepted"].toBool(), false);
    QCOMPARE(rejected[u"version"].toString(), QString());
    QCOMPARE(rejected[u"error"].toString(),
             QStringLiteral("Маркер \"BEGIN:VNOTE\" не был найден. Файл некорректен."));
    // The read failure's reason goes to standard error, the document stays pure JSON.
    QVERIFY(QString::fromUtf8(result.err).contains(QStringLiteral("/nonexistent/a.vnt")));
}

void TestExport::textShowsTheWindowLabels()
{
    const Run result = run({golden("phone-ru-crlf.vnt")});
    QCOMPARE(result.status, 0);
    const QString out = QString::fromUtf8(result.out);
    QVERIFY(out.contains(QStringLiteral("Quillet [phone-ru-crlf.vnt]")));
    QVERIFY(out.contains(QStringLiteral("Версия: 1.1\n")));
    QVERIFY(out.contains(QStringLiteral("Создан: среда, 3 апреля 2013 г., 02:19:40\n")));
    QVERIFY(out.contains(QStringLiteral("Изменён: среда, 1 января 2014 г., 00:00:00\n")));
    QVERIFY(out.contains(QStringLiteral("— чай с бергамотом\n")));
    QVERIFY(!out.contains(u'\r'));
}

void TestExport::shortDateOption()
{
    const Run result = run({"--format", "json", "--short-date", golden("phone-ru-crlf.vnt")});
    QCOMPARE(result.status, 0);
    const QJsonObject note = QJsonDocument::fromJson(result.out).array().at(0).toObject();
    QCOMPARE(note[u"created"].toString(), QStringLiteral("02:19:40 03.04.2013"));
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
