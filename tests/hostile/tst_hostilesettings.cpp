// SPDX-License-Identifier: GPL-3.0-or-later
#include "appinfo.h"
#include "hostileinputs.h"
#include "qverror.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The viewer's settings where they cannot be kept: a folder that cannot be made or written,
// and a settings file that is no file.
class TestHostileSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void unwritableFolder_data();
    void unwritableFolder();
    void fifoAsSettingsFile();

private:
    QTemporaryDir m_dir;
    AppInfo m_app;
    QString m_folder; // where the settings file goes
};

namespace {

const QString Name = QStringLiteral("Short Date");

} // namespace

void TestHostileSettings::init()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    m_app.companyName = QStringLiteral("Tessavo");
    m_app.productName = QStringLiteral("Quillet hostile %1").arg(QTest::currentDataTag());
    m_folder = m_dir.filePath(m_app.companyName);
    QDir(m_folder).removeRecursively();
    QFile::remove(m_folder);
}

void TestHostileSettings::unwritableFolder_data()
{
    QTest::addColumn<bool>("fileInTheWay");
    QTest::newRow("a file where the settings folder goes") << true;
    QTest::newRow("a read-only settings folder") << false;
}

void TestHostileSettings::unwritableFolder()
{
    QFETCH(bool, fileInTheWay);
    if (fileInTheWay) {
        QFile blocker(m_folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("not a folder");
    } else {
        if (::geteuid() == 0)
            QSKIP("Running as root, whom permission bits do not stop from writing.");
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    const FileState before = FileState::of(m_folder);

    SettingsStore store;
    try {
        store.WriteValue({}, Name, SettingsStore::Boolean, true, m_app);
        QFAIL("a write that could not be stored was reported as done");
    } catch (const QvError &error) {
        QCOMPARE(error.number(), 75);
        QVERIFY2(error.description().contains(SettingsStore::fileName(m_app)),
                 qPrintable(error.description()));
    }
    // Reading is no failure: nothing is stored, so the default comes back.
    QCOMPARE(store.ReadValue({}, Name, SettingsStore::Boolean, m_app, false), QVariant(false));
    if (fileInTheWay)
        QCOMPARE(FileState::of(m_folder), before);
    QFile::setPermissions(m_folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Reading settings must never wait: a FIFO in place of the file has no writer, ever.
void TestHostileSettings::fifoAsSettingsFile()
{
    QVERIFY(QDir().mkpath(m_folder));
    const QString file = SettingsStore::fileName(m_app);
    QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);

    auto read = std::make_shared<QVariant>();
    std::packaged_task<void()> task([app = m_app, read] {
        try {
            *read = SettingsStore().ReadValue({}, Name, SettingsStore::Boolean, app, false);
        } catch (const QvError &) {
            *read = QStringLiteral("failed"); // a clear failure is fine; waiting is not
        }
    });
    std::future<void> done = task.get_future();
    std::thread reader(std::move(task));
    const bool finished = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!finished)
        unblockFifo(file);
    reader.join();
    QVERIFY2(finished, "reading the settings blocked on a FIFO");
}

QTEST_MAIN(TestHostileSettings)
#include "tst_hostilesettings.moc"
