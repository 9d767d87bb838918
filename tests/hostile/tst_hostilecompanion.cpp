#include "hostileinputs.h"
#include "noteexport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// Hostile files through quillet-export, as a user runs it: its exit status, its JSON and its
// messages, with the same outcome as the viewer's reading.
class TestHostileCompanion : public QObject
{
    Q_OBJECT

private slots:
    void hostileFile_data() { addHostileRows(); }
    void hostileFile();
};

void TestHostileCompanion::hostileFile()
{
    const auto [input, readFailure, why, message, version, body] = fetchHostileCase();
    if (input == HostileInput::Unreadable && ::geteuid() == 0)
        QSKIP("Running as root, whom permission bits do not stop from reading.");

    const HostileFile file(input);
    QVERIFY(file.dir.isValid());
    const auto &[dir, path, ours, before] = file;

    QProcess process;
    process.start(QStringLiteral(QUILLET_EXPORT_PATH),
                  {QStringLiteral("--format"), QStringLiteral("json"), path});
    if (!process.waitForFinished(60000)) {
        process.kill();
        unblockFifo(path);
        process.waitForFinished();
        QFAIL("quillet-export did not finish: it blocked");
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const bool accepted = readFailure == 0 && message.isEmpty();
    QCOMPARE(process.exitCode(), accepted ? 0 : 1);

    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(process.readAllStandardOutput(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(json.array().size(), 1);
    const QJsonObject shown = json.array().first().toObject();
    QCOMPARE(shown.value(u"file").toString(), path);
    QCOMPARE(shown.value(u"accepted").toBool(), accepted);
    QCOMPARE(shown.value(u"title").toString(),
             accepted ? NoteView::titleFor(path) : NoteView::emptyTitle());
    QCOMPARE(shown.value(u"version").toString(), version);
    QCOMPARE(shown.value(u"body").toString(), body);

    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (readFailure != 0) {
        QCOMPARE(shown.value(u"error").toString(), readFailureMessage(path));
        QVERIFY2(errors.contains(why), qPrintable(errors));
    } else {
        QCOMPARE(shown.value(u"error").toString(), message);
        if (!message.isEmpty())
            QVERIFY2(errors.contains(message), qPrintable(errors));
    }
    if (ours)
        QCOMPARE(FileState::of(path), before);
}

QTEST_GUILESS_MAIN(TestHostileCompanion)
#include "tst_hostilecompanion.moc"
