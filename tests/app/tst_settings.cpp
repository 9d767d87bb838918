// SPDX-License-Identifier: GPL-3.0-or-later
// Settings across runs: the date mode, the window placement, the open dialog's folder.

#include "appfixture.h"
#include "appinfo.h"
#include "modalanswerer.h"
#include "qverror.h"
#include "settingsstore.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

namespace {

// Centred on its screen, give or take the frame, which is not known before the first show.
bool isCentred(const QWidget &window)
{
    const QPoint offset =
        window.frameGeometry().center() - window.screen()->availableGeometry().center();
    const int frame = window.frameGeometry().width() - window.width() + 1;
    return qAbs(offset.x()) <= frame && qAbs(offset.y()) <= frame;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void firstRun();
    void roundTrip_data();
    void roundTrip();
    void corruptFile_data();
    void corruptFile();
    void placementOffEveryScreen();
    void readAsKind_data();
    void readAsKind();
    void failedWriteIsReported();

private:
    AppFixture m_fixture;
};

void TestSettings::firstRun()
{
    const auto window = AppFixture::showWindow();
    QVERIFY(!window->ShortDate);
    QVERIFY(!window->mnuSettings[0]->isChecked());
    QVERIFY(isCentred(*window));
}

void TestSettings::roundTrip_data()
{
    QTest::addColumn<int>("toggles");
    QTest::addColumn<QString>("closeBy");
    QTest::newRow("toggle on, Escape") << 1 << "escape";
    QTest::newRow("toggle on, File > Exit") << 1 << "exit";
    QTest::newRow("toggle twice, close button") << 2 << "close";
}

void TestSettings::roundTrip()
{
    QFETCH(int, toggles);
    QFETCH(QString, closeBy);
    const QString note = m_fixture.writeFile("notes/a.vnt", sampleNote());
    const QPoint movedTo(23, 31);
    {
        const auto window = AppFixture::showWindow();
        for (int i = 0; i < toggles; ++i)
            window->mnuSettings[0]->trigger();
        ModalAnswerer answerer;
        answerer.queue(ModalAnswerer::pickFile(note));
        window->OpenWithDialog();
        window->move(movedTo);
        QTRY_COMPARE(window->pos(), movedTo);
        if (closeBy == u"exit")
            window->mnuFile[99]->trigger();
        else if (closeBy == u"escape")
            QTest::keyClick(window->txtBody, Qt::Key_Escape);
        else
            window->close();
        QVERIFY(!window->isVisible());
    }
    const auto window = AppFixture::showWindow();
    QCOMPARE(window->ShortDate, toggles % 2 == 1);
    QCOMPARE(window->mnuSettings[0]->isChecked(), toggles % 2 == 1);
    QCOMPARE(window->pos(), movedTo);
    ModalAnswerer answerer;
    window->OpenWithDialog();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].directory, QFileInfo(note).absolutePath());
}

void TestSettings::corruptFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary garbage") << QByteArray("\x01\x02\xff\xfe[[[\n=\n\x00\x7f", 12);
    QTest::newRow("date mode not a Boolean") << QByteArray("[General]\nShort%20Date=banana\n");
    QTest::newRow("date mode a list") << QByteArray("[General]\nShort%20Date=true, false\n");
    QTest::newRow("placement not one")
        << QByteArray("[General]\nWindow%20placement=@ByteArray(nonsense)\n");
    QTest::newRow("unterminated section") << QByteArray("[General\nShort%20Date=maybe\n");
    QTest::newRow("folder a list")
        << QByteArray("[OFN%20Paths]\nLast%20open%20VNT%20directory=a, b\n");
}

void TestSettings::corruptFile()
{
    QFETCH(QByteArray, content);
    QDir().mkpath(QFileInfo(AppFixture::settingsFile()).absolutePath());
    QFile file(AppFixture::settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    {
        const auto window = AppFixture::showWindow();
        QVERIFY(!window->ShortDate);
        QVERIFY(isCentred(*window));
        ModalAnswerer answerer;
        window->OpenWithDialog();
        QCOMPARE(answerer.seen.size(), 1);
        window->mnuSettings[0]->trigger();
        window->close();
    }
    // Written anew, and read back.
    QVERIFY(AppFixture::showWindow()->ShortDate);
}

void TestSettings::placementOffEveryScreen()
{
    {
        const auto window = AppFixture::showWindow();
        window->move(40000, 30000);
        window->close();
    }
    const auto window = AppFixture::showWindow();
    QVERIFY(window->screen()->availableGeometry().intersects(window->frameGeometry()));
}

void TestSettings::readAsKind_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVariant>("expected"); // invalid: the default comes back
    QTest::newRow("true") << QByteArray("true") << 3 << QVariant(true);
    QTest::newRow("0") << QByteArray("0") << 3 << QVariant(false);
    QTest::newRow("-1") << QByteArray("-1") << 3 << QVariant(true);
    QTest::newRow("banana as Boolean") << QByteArray("banana") << 3 << QVariant();
    QTest::newRow("text") << QByteArray("/home/a b") << 0 << QVariant(QStringLiteral("/home/a b"));
    QTest::newRow("list as text") << QByteArray("a, b") << 0 << QVariant();
    QTest::newRow("bytes as text") << QByteArray("@ByteArray(x)") << 0 << QVariant();
}

void TestSettings::readAsKind()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, kind);
    QFETCH(QVariant, expected);
    QDir().mkpath(QFileInfo(AppFixture::settingsFile()).absolutePath());
    QFile file(AppFixture::settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[S]\nvalue=" + stored + "\n");
    file.close();
    const QVariant fallback(QStringLiteral("default"));
    const QVariant read = SettingsStore().ReadValue(QStringLiteral("S"), QStringLiteral("value"),
                                                    kind, AppInfo::current(), fallback);
    QCOMPARE(read, expected.isValid() ? expected : fallback);
}

void TestSettings::failedWriteIsReported()
{
    // A folder where the file should be: nothing can be written.
    QVERIFY(QDir().mkpath(AppFixture::settingsFile()));
    try {
        SettingsStore().WriteValue(QString(), QStringLiteral("Short Date"), SettingsStore::Boolean,
                                   true, AppInfo::current());
        QFAIL("The write was taken for done");
    } catch (const QvError &error) {
        QCOMPARE(error.number(), 75);
        QVERIFY(error.description().contains(AppFixture::settingsFile()));
    }
    QVERIFY(QDir(AppFixture::settingsFile()).removeRecursively());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
