// SPDX-License-Identifier: GPL-3.0-or-later
// Settings across runs: the date mode, the window placement, the open dialog's folder.

#include "appfixture.h"
#include "appinfo.h"
#include "modalanswerer.h"
#include "quilletapplication.h"
#include "qverror.h"
#include "resourcelimit.h"
#include "settingsstore.h"

#include <QDataStream>
#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <cerrno>
#include <limits>
#include <optional>
#include <unistd.h>

namespace {

// Centred on its screen, give or take the frame, which is not known before the first show.
bool isCentred(const QWidget &window)
{
    const QPoint offset =
        window.frameGeometry().center() - window.screen()->availableGeometry().center();
    const int frame = window.frameGeometry().width() - window.width() + 1;
    return qAbs(offset.x()) <= frame && qAbs(offset.y()) <= frame;
}

// A stored window placement as QWidget::saveGeometry writes it (format 3.0): the frame, the
// normal and the client geometry, and whether the window was maximized.
QByteArray placement(const QRect &frame, bool maximized)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_0);
    out << quint32(0x1D9D0CB) << quint16(3) << quint16(0) << frame << frame << qint32(0)
        << quint8(maximized ? 1 : 0) << quint8(0) << qint32(800) << frame;
    return bytes;
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
    void oversizedPlacement_data();
    void oversizedPlacement();
    void readAsKind_data();
    void readAsKind();
    void failedWriteIsReported();
    void writeFailureWarnsOnce_data();
    void writeFailureWarnsOnce();

private:
    AppFixture m_fixture;
};

// Nothing saved: long dates, the strict reading ("Все форматы заметок" off), a centred window.
void TestSettings::firstRun()
{
    const auto window = AppFixture::showWindow();
    QVERIFY(!window->ShortDate);
    QVERIFY(!window->mnuSettings[0]->isChecked());
    QVERIFY(!window->LenientLayouts);
    QVERIFY(!window->mnuSettings[1]->isChecked());
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

void TestSettings::oversizedPlacement_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<bool>("maximized");
    const int huge = std::numeric_limits<qint32>::max();
    QTest::newRow("twice the screen") << QRect(10, 20, 1600, 1200) << false;
    QTest::newRow("2^31 pixels") << QRect(0, 0, huge, huge) << false;
    QTest::newRow("2^31 pixels, off every screen")
        << QRect(QPoint(40000, 30000), QPoint(huge, huge)) << false;
    QTest::newRow("corners wider apart than an int holds")
        << QRect(QPoint(-huge, -huge), QPoint(huge, huge)) << true;
    QTest::newRow("2^31 pixels, maximized") << QRect(0, 0, huge, huge) << true;
    QTest::newRow("wider than the screen") << QRect(-500, 40, 5000, 300) << false;
}

// A placement saved on a larger screen, or a damaged one, never makes a window larger than the
// screen: the window is brought within the available area, as a window off every screen is.
void TestSettings::oversizedPlacement()
{
    QFETCH(QRect, stored);
    QFETCH(bool, maximized);
    QDir().mkpath(QFileInfo(AppFixture::settingsFile()).absolutePath());
    QSettings(AppFixture::settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Window placement"), placement(stored, maximized));
    const auto window = AppFixture::showWindow();
    const QRect available = window->screen()->availableGeometry();
    QVERIFY2(available.contains(window->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                         .arg(window->x())
                                                                         .arg(window->y())
                                                                         .arg(window->width())
                                                                         .arg(window->height())));
    QVERIFY(available.contains(window->normalGeometry()));
    QCOMPARE(window->isMaximized(), maximized);
    // Closed and opened again, it stays so.
    window->close();
    const auto again = AppFixture::showWindow();
    QCOMPARE(again->size(), window->size());
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
    QTest::newRow("number") << QByteArray(" 130") << 2 << QVariant(130);
    QTest::newRow("banana as number") << QByteArray("banana") << 2 << QVariant();
    QTest::newRow("number past int") << QByteArray("99999999999") << 2 << QVariant();
    QTest::newRow("list") << QByteArray("/a, \"b, c\"") << 4 << QVariant(QStringList{"/a", "b, c"});
    QTest::newRow("one text as list") << QByteArray("/a") << 4 << QVariant(QStringList{"/a"});
    QTest::newRow("bytes as list") << QByteArray("@ByteArray(x)") << 4 << QVariant();
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

void TestSettings::writeFailureWarnsOnce_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a file where the settings folder goes")
        << "file for folder" << qt_error_string(ENOTDIR);
    QTest::newRow("settings file a link to /dev/zero")
        << "device" << QStringLiteral("это не обычный файл");
    QTest::newRow("no room to write") << "no room" << qt_error_string(EFBIG);
    QTest::newRow("a read-only settings folder") << "read-only" << qt_error_string(EACCES);
}

// Opening a note and closing the window both write settings; where they cannot be kept, one
// warning names the file and the reason, the note opens and the window closes.
void TestSettings::writeFailureWarnsOnce()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    const QString note = m_fixture.writeFile("notes/kept.vnt", sampleNote());
    const QString settings = AppFixture::settingsFile();
    const QString folder = QFileInfo(settings).absolutePath();
    QDir(folder).removeRecursively();
    QFile::remove(folder);
    if (obstacle == u"file for folder") {
        m_fixture.writeFile(QDir(m_fixture.file({})).relativeFilePath(folder), "in the way");
    } else if (obstacle == u"device") {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), settings));
    } else if (obstacle == u"read-only") {
        if (::geteuid() == 0)
            QSKIP("Running as root, whom permission bits do not stop from writing.");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }

    ModalAnswerer answerer;
    answerer.queue(ModalAnswerer::pickFile(note));
    answerer.queue(ModalAnswerer::click(QMessageBox::Ok));
    const auto window = AppFixture::showWindow();
    {
        std::optional<ResourceLimit> full;
        if (obstacle == u"no room")
            full.emplace(RLIMIT_FSIZE, 0);
        window->OpenWithDialog();
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [kept.vnt]"));
        window->mnuSettings[0]->trigger();
        window->close();
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!window->isVisible());
    QVERIFY(!QuilletApplication::hasFailed());

    QCOMPARE(answerer.seen.size(), 2);
    QCOMPARE(answerer.seen[0].className, QStringLiteral("QFileDialog"));
    const ModalAnswerer::Seen &warning = answerer.seen[1];
    QCOMPARE(warning.icon, QMessageBox::Warning);
    QCOMPARE(warning.title, QStringLiteral("Tessavo - Quillet"));
    QVERIFY2(warning.text.contains(settings + QStringLiteral(": ") + reason),
             qPrintable(warning.text));
    if (obstacle == u"device")
        QCOMPARE(QFileInfo(settings).symLinkTarget(), QStringLiteral("/dev/zero"));
    QFile::remove(settings);
    QFile::remove(folder);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
