// SPDX-License-Identifier: GPL-3.0-or-later
// A failure that nothing handles: reported once under the application's title, and the program
// ends with a failure status instead of the exception crossing the event loop.

#include "modalanswerer.h"
#include "quilletapplication.h"
#include "qverror.h"

#include <QTest>

class TestUnhandled : public QObject
{
    Q_OBJECT

private slots:
    void failureInAnEventEndsTheLoop();
    void failureBeforeTheLoop();
};

void TestUnhandled::failureInAnEventEndsTheLoop()
{
    ModalAnswerer answerer;
    QTimer failing;
    failing.setSingleShot(true);
    connect(&failing, &QTimer::timeout,
            [] { throw QvError(75, QStringLiteral("Настройки не сохранены")); });
    failing.start(0);
    // Were the loop to run on after the failure, this would end it.
    bool ranOn = false;
    QTimer later;
    later.setSingleShot(true);
    connect(&later, &QTimer::timeout, [&ranOn] {
        ranOn = true;
        QCoreApplication::exit(0);
    });
    later.start(2000);
    const int status = QuilletApplication::run([] { return QApplication::exec(); });
    QCOMPARE(status, QuilletApplication::UnhandledFailureStatus);
    QVERIFY(!ranOn);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("Tessavo - Quillet"));
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Critical);
    QVERIFY(answerer.seen[0].text.contains(u"75"));
    QVERIFY(answerer.seen[0].text.contains(u"Настройки не сохранены"));
}

void TestUnhandled::failureBeforeTheLoop()
{
    ModalAnswerer answerer;
    const int status = QuilletApplication::run([]() -> int { throw std::runtime_error("boom"); });
    QCOMPARE(status, QuilletApplication::UnhandledFailureStatus);
    // One report per run: the program is already ending.
    QVERIFY(answerer.seen.isEmpty());
}

int main(int argc, char *argv[])
{
    QuilletApplication application(argc, argv);
    QuilletApplication::configure();
    TestUnhandled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unhandled.moc"
