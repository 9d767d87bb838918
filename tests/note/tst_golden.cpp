// SPDX-License-Identifier: GPL-3.0-or-later
#include "noteexport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// Each note under data/golden has beside it the fields the viewer must show for it, with Berlin's
// time zone (summer time included), the Russian locale and long dates.
class TestGolden : public QObject
{
    Q_OBJECT

private slots:
    void notes_data();
    void notes();
};

void TestGolden::notes_data()
{
    QTest::addColumn<QString>("notePath");
    const QDir dir(QStringLiteral(QUILLET_TEST_DATA "/golden"));
    const QStringList notes = dir.entryList({QStringLiteral("*.vnt")}, QDir::Files, QDir::Name);
    QVERIFY(notes.size() >= 10);
    for (const QString &name : notes)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestGolden::notes()
{
    QFETCH(QString, notePath);
    QFile expectedFile(notePath.chopped(4) + QStringLiteral(".json"));
    QVERIFY2(expectedFile.open(QIODevice::ReadOnly), qPrintable(expectedFile.fileName()));
    const QJsonObject expected = QJsonDocument::fromJson(expectedFile.readAll()).object();
    QVERIFY(!expected.isEmpty());

    const DateDisplay display{false, QLocale(QStringLiteral("ru_RU")),
                              QTimeZone(QByteArrayLiteral("Europe/Berlin"))};
    const ExportedNote note = exportNote(notePath, display);
    QCOMPARE(note.accepted, expected.value(QStringLiteral("accepted")).toBool());
    QCOMPARE(note.view.title, expected.value(QStringLiteral("title")).toString());
    QCOMPARE(note.view.txtVersion, expected.value(QStringLiteral("version")).toString());
    QCOMPARE(note.view.txtDateCreated, expected.value(QStringLiteral("created")).toString());
    QCOMPARE(note.view.txtDateModified, expected.value(QStringLiteral("modified")).toString());
    QCOMPARE(note.view.txtBody, expected.value(QStringLiteral("body")).toString());
    QCOMPARE(note.error, expected.value(QStringLiteral("error")).toString());
}

QTEST_APPLESS_MAIN(TestGolden)
#include "tst_golden.moc"
