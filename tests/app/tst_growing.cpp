// SPDX-License-Identifier: GPL-3.0-or-later
// The window that grows, its names for a screen reader, Qt's own texts in Russian, and the
// setting that reads every note layout.

#include "appfixture.h"
#include "frmsearch.h"
#include "modalanswerer.h"
#include "notefolderfixture.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTreeView>

namespace {

const QString OtherLayoutHint =
    QStringLiteral("Текст этой заметки записан в формате другого телефона. Чтобы его увидеть, "
                   "включите «Настройки → Все форматы заметок».");

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

void storeSetting(const QString &key, const QByteArray &value)
{
    QDir().mkpath(QFileInfo(AppFixture::settingsFile()).absolutePath());
    QFile file(AppFixture::settingsFile());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("[General]\n" + key.toUtf8() + '=' + value + '\n') < 0)
        qFatal("cannot write the settings");
}

} // namespace

class TestGrowing : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(AppFixture::settingsFile()); }
    void stretches_data();
    void stretches();
    void sizeKeptWithPlacement();
    void accessibleNames_data();
    void accessibleNames();
    void qtTextsInRussian();
    void settingFromTheKeyboard();
    void lenientSetting_data();
    void lenientSetting();
    void otherLayoutHint_data();
    void otherLayoutHint();

private:
    AppFixture m_fixture;
};

void TestGrowing::stretches_data()
{
    QTest::addColumn<QSize>("added");
    QTest::newRow("as designed") << QSize(0, 0);
    QTest::newRow("wider and taller") << QSize(240, 130);
    QTest::newRow("smaller than designed") << QSize(-100, -60);
}

// The designed size is the smallest; beyond it the three fields and the body stretch across and
// the body down, while the captions stay.
void TestGrowing::stretches()
{
    QFETCH(QSize, added);
    const auto window = AppFixture::showWindow();
    const QSize designed = window->size();
    QCOMPARE(window->minimumSize(), designed);
    const QRect version = window->txtVersion->geometry();
    const QRect body = window->txtBody->geometry();
    const QRect caption = window->lblTag[2]->geometry();

    window->resize(designed + added);
    const QSize grown = added.expandedTo(QSize(0, 0));
    QTRY_COMPARE(window->size(), designed + grown);
    QTRY_COMPARE(window->txtVersion->geometry(), version.adjusted(0, 0, grown.width(), 0));
    QCOMPARE(window->txtDateModified->width(), version.width() + grown.width());
    QCOMPARE(window->txtBody->geometry(), body.adjusted(0, 0, grown.width(), grown.height()));
    QCOMPARE(window->lblTag[2]->geometry(), caption);
}

void TestGrowing::sizeKeptWithPlacement()
{
    QSize grown;
    {
        const auto window = AppFixture::showWindow();
        grown = window->size() + QSize(120, 90);
        window->resize(grown);
        QTRY_COMPARE(window->size(), grown);
        window->close();
    }
    const auto window = AppFixture::showWindow();
    QCOMPARE(window->size(), grown);
    QCOMPARE(window->txtBody->height(), qRound(3015 * window->logicalDpiY() / 1440.0) + 90);
}

void TestGrowing::accessibleNames_data()
{
    QTest::addColumn<int>("field"); // 0..2 the captioned fields, 3 the body, 4 and 5 the search's
    QTest::addColumn<QString>("name");
    QTest::newRow("version") << 0 << "Версия";
    QTest::newRow("created") << 1 << "Создан";
    QTest::newRow("modified") << 2 << "Изменён";
    QTest::newRow("body") << 3 << "Текст заметки";
    QTest::newRow("search field") << 4 << "Текст для поиска";
    QTest::newRow("search results") << 5 << "Найденные заметки";
}

void TestGrowing::accessibleNames()
{
    QFETCH(int, field);
    QFETCH(QString, name);
    const auto window = AppFixture::showWindow();
    window->FindInNotes();
    const std::array<QWidget *, 6> fields{
        window->txtVersion, window->txtDateCreated,           window->txtDateModified,
        window->txtBody,    window->searchWindow()->txtQuery, window->searchWindow()->lstResults};
    QWidget *widget = fields.at(field);
    QCOMPARE(accessibleName(widget), name);
    QVERIFY(widget->focusPolicy() & Qt::TabFocus);
    if (field < 3)
        QCOMPARE(window->lblTag.at(field)->buddy(), widget);
    window->searchWindow()->close();
}

// Qt's own buttons and dialogs speak Russian whatever the locale.
void TestGrowing::qtTextsInRussian()
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    const auto window = AppFixture::showWindow();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("t"), QStringLiteral("x"),
                    QMessageBox::Retry | QMessageBox::Cancel, window.get());
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
    QVERIFY(box.button(QMessageBox::Retry)->text().contains(u"Повтор"));
    QLocale::setDefault(QLocale::system());
}

// Alt opens the menu bar; the arrows and Enter reach the new setting.
void TestGrowing::settingFromTheKeyboard()
{
    const auto window = AppFixture::showWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->txtBody, Qt::Key_Alt, Qt::AltModifier);
    QTRY_VERIFY(window->menuBar()->activeAction() != nullptr);
    // As the window system would: to the open menu, else to the menu bar.
    const auto press = [&](Qt::Key key) {
        QWidget *popup = QApplication::activePopupWidget();
        QTest::keyClick(popup != nullptr ? popup : window->menuBar(), key);
    };
    for (const auto key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
        press(key);
    QTRY_VERIFY(window->LenientLayouts);
}

void TestGrowing::lenientSetting_data()
{
    QTest::addColumn<QByteArray>("stored"); // empty: nothing stored
    QTest::addColumn<bool>("on");
    QTest::newRow("nothing stored") << QByteArray() << false;
    QTest::newRow("on") << QByteArray("true") << true;
    QTest::newRow("unreadable") << QByteArray("banana") << false;
}

// Saved with the other settings; toggled, it is kept for the next run.
void TestGrowing::lenientSetting()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, on);
    if (!stored.isEmpty())
        storeSetting(QStringLiteral("Lenient%20layouts"), stored);
    {
        const auto window = AppFixture::showWindow();
        QCOMPARE(window->LenientLayouts, on);
        QCOMPARE(window->mnuSettings[1]->isChecked(), on);
        QCOMPARE(window->mnuSettings[1]->text(), QStringLiteral("Все форматы заметок"));
        window->mnuSettings[1]->trigger();
        window->close();
    }
    QCOMPARE(QSettings(AppFixture::settingsFile(), QSettings::IniFormat)
                 .value(QStringLiteral("Lenient layouts"))
                 .toString(),
             on ? QStringLiteral("false") : QStringLiteral("true"));
    QCOMPARE(AppFixture::showWindow()->LenientLayouts, !on);
}

void TestGrowing::otherLayoutHint_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("hint");
    QTest::newRow("another layout, strict")
        << plainBodyNote("Where is my dog??") << false << "" << OtherLayoutHint;
    QTest::newRow("another layout, lenient")
        << plainBodyNote("Where is my dog??") << true << "Where is my dog??"
        << "";
    QTest::newRow("a body of blanks") << plainBodyNote("   ") << false << ""
                                      << "";
    QTest::newRow("no body at all")
        << QByteArray("BEGIN:VNOTE\r\nVERSION:1.1\r\nEND:VNOTE\r\n") << false << ""
        << "";
    QTest::newRow("the original layout") << escapedNote("Привет") << false << "Привет"
                                         << "";
}

// When the strict reading leaves a body empty that holds text, a grey hint points the way; it is
// no text of the note, and the next note takes it away.
void TestGrowing::otherLayoutHint()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, lenient);
    QFETCH(QString, body);
    QFETCH(QString, hint);
    const auto window = AppFixture::showWindow();
    window->LenientLayouts = lenient;
    window->LoadNoteFile(m_fixture.writeFile("memo.vnt", content));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillet [memo.vnt]"));
    QCOMPARE(window->txtBody->toPlainText(), body);
    QCOMPARE(window->txtBody->placeholderText(), hint);
    window->LoadNoteFile(m_fixture.writeFile("other.vnt", escapedNote("x")));
    QVERIFY(window->txtBody->placeholderText().isEmpty());
}

QTEST_MAIN(TestGrowing)
#include "tst_growing.moc"
