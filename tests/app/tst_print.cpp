// SPDX-License-Identifier: GPL-3.0-or-later
// File > Печать...: the note printed to a PDF file, its text read back by pdftotext.

#include "appfixture.h"

#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(AppFixture::settingsFile());
        qputenv("TZ", "Asia/Dubai");
    }
    void printsTheNote();

private:
    AppFixture m_fixture;
};

// The title as a heading, the two dates with their captions, every line of the body with a long
// run wrapped rather than cut at the margin, and a number at the foot of each page.
void TestPrint::printsTheNote()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is missing: scripts/install-deps installs poppler-utils");
    QStringList lines{QStringLiteral("Список покупок")};
    for (int i = 1; i <= 120; ++i)
        lines.append(QStringLiteral("строка %1").arg(i));
    const QString run(400, u'ж');
    lines.append(run);
    QByteArray note = noteWithBody(lines.join(u'\n'));
    note.replace("VERSION:1.1\r\n",
                 "VERSION:1.1\r\nDCREATED:20130403T001940\r\nLAST-MODIFIED:20130705T183000\r\n");
    const auto window = AppFixture::showWindow(m_fixture.writeFile("memo.vnt", note));

    const QString pdf = m_fixture.file("memo.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    window->printNote(printer);

    QProcess reader;
    reader.start(QStringLiteral("pdftotext"),
                 {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished());
    QCOMPARE(reader.exitCode(), 0);
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 2, qPrintable(text));

    const QStringList first = pages[0].split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(first.value(0).trimmed(), QStringLiteral("Список покупок"));
    QCOMPARE(first.value(1).simplified(),
             QStringLiteral("Создан: ") + window->txtDateCreated->text().simplified());
    QCOMPARE(first.value(2).simplified(),
             QStringLiteral("Изменён: ") + window->txtDateModified->text().simplified());
    for (int i = 1; i <= 120; ++i)
        QVERIFY2(text.contains(QStringLiteral("строка %1\n").arg(i)), qPrintable(text));
    QCOMPARE(text.count(u'ж'), run.size());
    for (qsizetype page = 0; page < pages.size(); ++page) {
        const QStringList pageLines = pages[page].split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(pageLines.back().trimmed(), QString::number(page + 1));
    }
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
