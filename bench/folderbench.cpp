// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer over a folder of notes, driven by real key presses (bench/run sends them with
// xdotool once this program says it is ready).
//
//     quillet-bench-folder step FOLDER STEPS
//         Shows FOLDER/memo1.vnt and, once the folder has been listed, prints "ready WINDOW".
//         For each Ctrl+PgDown that follows: milliseconds from the key's arrival to the body
//         painted with the next note ("step MS"). Ends after STEPS steps.
//     quillet-bench-folder list FOLDER
//         Shows the note list, empty, and prints "ready WINDOW". F8 then opens FOLDER as File >
//         Open folder does; from the key: "list first MS all MS rows N late MS added KB": to the
//         first rows painted, to every row painted, the rows, the longest lateness of a 5 ms
//         timer on the user-interface thread meanwhile, and the peak memory added over what the
//         program held when it was ready.
//     quillet-bench-folder find FOLDER QUERY
//         Shows FOLDER/memo1.vnt and the note list, warms the cache with a filter that finds
//         nothing, puts the focus in the filter, prints "ready WINDOW", and waits for QUERY to be
//         typed. From the keystroke that completes it: "find first MS all MS results N late MS
//         added KB", as for the list.
//     quillet-bench-folder match NOTE QUERY STEPS
//         Shows NOTE with QUERY in the filter, waits for its matches in the note to be marked,
//         and prints "ready WINDOW". For each Ctrl+G or Ctrl+Shift+G that follows: milliseconds
//         from the key's arrival to the body painted with the match selected ("match MS"). Ends
//         after STEPS keys.

#include "folderwatch.h"
#include "frmmain.h"
#include "modmain.h"
#include "notelistpanel.h"
#include "quilletapplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

constexpr int TimerMs = 5;
// A run that has not ended by then has lost a key press: it says so rather than waiting.
constexpr int GiveUpMs = 60000;

double msSince(const QElapsedTimer &clock, qint64 startNs)
{
    return double(clock.nsecsElapsed() - startNs) / 1e6;
}

long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Starts the peak resident memory afresh from what is resident now.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void ready(QWidget *window)
{
    std::printf("ready %llu\n", static_cast<unsigned long long>(window->winId()));
    std::fflush(stdout);
}

// Calls `after` on the turn of the event loop that follows the next paint of `widget`: the paint
// is done and on its way to the screen.
class PaintWatch : public QObject
{
public:
    PaintWatch(QWidget *widget, std::function<void()> after) : QObject(widget), m_widget(widget)
    {
        m_next.setSingleShot(true);
        m_next.setInterval(0);
        connect(&m_next, &QTimer::timeout, this, std::move(after));
        widget->installEventFilter(this);
    }
    void arm() { m_armed = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_armed && watched == m_widget && event->type() == QEvent::Paint) {
            m_armed = false;
            m_next.start();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_widget;
    QTimer m_next;
    bool m_armed = false;
};

// Notes the arrival of each key press that `matches` accepts, before anything handles it.
class KeyWatch : public QObject
{
public:
    explicit KeyWatch(std::function<bool(const QKeyEvent &)> matches, std::function<void()> arrived)
        : m_matches(std::move(matches)), m_arrived(std::move(arrived))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A key comes as a shortcut override first, then as a press; the first counts.
        if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
            event->spontaneous() && m_matches(*static_cast<QKeyEvent *>(event))) {
            const auto timestamp = static_cast<QKeyEvent *>(event)->timestamp();
            if (timestamp != m_last) {
                m_last = timestamp;
                m_arrived();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(const QKeyEvent &)> m_matches;
    std::function<void()> m_arrived;
    quint64 m_last = 0;
};

// What a run measures, shared by the probes that take part in it.
struct Run
{
    QElapsedTimer clock;
    qint64 keyNs = -1;
    int steps = 0;
    double firstMs = -1;
    double lateMs = 0;
    qint64 lastTickNs = 0;
    long baseKb = 0;
    bool warm = false;

    [[nodiscard]] double msSinceKey() const { return msSince(clock, keyNs); }
};

void benchStep(frmMain *window, const QString &folder, int steps)
{
    window->LoadNoteFile(folder + QStringLiteral("/memo1.vnt"));
    const auto run = std::make_shared<Run>();
    run->clock.start();
    auto *painted = new PaintWatch(window->txtBody->viewport(), [run, steps] {
        std::printf("step %.3f\n", run->msSinceKey());
        std::fflush(stdout);
        if (++run->steps == steps)
            QCoreApplication::exit(0);
    });
    new KeyWatch(
        [](const QKeyEvent &key) {
            return key.key() == Qt::Key_PageDown && key.modifiers() == Qt::ControlModifier;
        },
        [run, painted] {
            run->keyNs = run->clock.nsecsElapsed();
            painted->arm();
        });
    // Ready once the folder's list is in hand, as it is a moment after any note is shown.
    auto *wait = new QTimer(window);
    QObject::connect(wait, &QTimer::timeout, window, [window, wait] {
        if (window->folderNotes().hasList()) {
            wait->stop();
            ready(window);
        }
    });
    wait->start(10);
}

// Measures the user-interface thread's lateness: how much later than asked a short timer fires.
QTimer *lateness(QObject *owner, const std::shared_ptr<Run> &run)
{
    auto *ticker = new QTimer(owner);
    ticker->setTimerType(Qt::PreciseTimer);
    ticker->setInterval(TimerMs);
    QObject::connect(ticker, &QTimer::timeout, owner, [run] {
        const qint64 now = run->clock.nsecsElapsed();
        if (run->lastTickNs > 0)
            run->lateMs = std::max(run->lateMs, double(now - run->lastTickNs) / 1e6 - TimerMs);
        run->lastTickNs = now;
    });
    return ticker;
}

// What the window holds now is the base that the peak memory is measured from.
void startMemory(Run &run)
{
    run.baseKb = statusKilobytes("VmRSS:");
    resetPeakMemory();
}

void report(const char *what, const Run &run, double firstMs, int count)
{
    const long peak = statusKilobytes("VmHWM:");
    std::printf("%s first %.3f all %.3f %s %d late %.3f added %ld\n", what, firstMs,
                run.msSinceKey(), what[0] == 'l' ? "rows" : "results", count, run.lateMs,
                peak - run.baseKb);
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

void benchList(frmMain *window, const QString &folder)
{
    window->ShowNoteList(true);
    NoteListPanel *list = window->pnlNotes;
    const auto run = std::make_shared<Run>();
    run->clock.start();
    QTimer *ticker = lateness(window, run);
    QWidget *rows = list->lstNotes->viewport();
    auto *allPainted = new PaintWatch(
        rows, [run, list] { report("list", *run, run->firstMs, list->model().rowCount()); });
    auto *firstPainted = new PaintWatch(rows, [run] { run->firstMs = run->msSinceKey(); });
    QObject::connect(list->lstNotes->model(), &QAbstractItemModel::rowsInserted, list,
                     [run, firstPainted] {
                         if (run->keyNs >= 0 && run->firstMs < 0)
                             firstPainted->arm();
                     });
    QObject::connect(list, &NoteListPanel::readingFinished, list, [run, allPainted, rows] {
        if (run->keyNs < 0)
            return;
        allPainted->arm();
        rows->update();
    });
    new KeyWatch([](const QKeyEvent &key) { return key.key() == Qt::Key_F8; },
                 [run, ticker, window, folder] {
                     run->keyNs = run->clock.nsecsElapsed();
                     ticker->start();
                     window->OpenFolder(folder);
                 });
    QTimer::singleShot(0, window, [run, window] {
        startMemory(*run);
        ready(window);
    });
}

void benchFind(frmMain *window, const QString &folder, const QString &query)
{
    window->LoadNoteFile(folder + QStringLiteral("/memo1.vnt"));
    window->ShowNoteList(true);
    NoteListPanel *list = window->pnlNotes;
    const auto run = std::make_shared<Run>();
    run->clock.start();
    QTimer *ticker = lateness(window, run);
    const auto complete = [list, query] {
        return list->txtFilter->text() == query;
    };
    QWidget *rows = list->lstNotes->viewport();
    auto *allPainted = new PaintWatch(
        rows, [run, list] { report("find", *run, run->firstMs, list->model().matchCount()); });
    auto *firstPainted = new PaintWatch(rows, [run] { run->firstMs = run->msSinceKey(); });
    QObject::connect(list->lstNotes->model(), &QAbstractItemModel::rowsInserted, list,
                     [run, complete, firstPainted] {
                         if (run->warm && complete() && run->firstMs < 0)
                             firstPainted->arm();
                     });
    QObject::connect(list, &NoteListPanel::filterFinished, list, [=] {
        if (run->warm) {
            if (complete()) {
                allPainted->arm();
                rows->update();
            }
            return;
        }
        run->warm = true;
        list->txtFilter->clear();
        window->FindInNotes();
        startMemory(*run);
        // Timed from the keystroke that completes the query; each one before it started a
        // filter that the next one cancelled.
        new KeyWatch([list](const QKeyEvent &) { return list->txtFilter->hasFocus(); },
                     [run, ticker] {
                         run->keyNs = run->clock.nsecsElapsed();
                         if (!ticker->isActive())
                             ticker->start();
                     });
        ready(window);
    });
    // A filter that finds nothing reads every note once, so that the cache is warm: once the
    // rows have been read.
    QObject::connect(list, &NoteListPanel::readingFinished, list, [list, run] {
        if (!run->warm && list->txtFilter->text().isEmpty())
            list->txtFilter->setText(QStringLiteral("\u2400"));
    });
}

void benchMatch(frmMain *window, const QString &note, const QString &query, int steps)
{
    window->LoadNoteFile(note);
    window->pnlNotes->txtFilter->setText(query);
    const auto run = std::make_shared<Run>();
    run->clock.start();
    auto *painted = new PaintWatch(window->txtBody->viewport(), [run, steps] {
        std::printf("match %.3f\n", run->msSinceKey());
        std::fflush(stdout);
        if (++run->steps == steps)
            QCoreApplication::exit(0);
    });
    new KeyWatch(
        [](const QKeyEvent &key) {
            return key.key() == Qt::Key_G && (key.modifiers() & Qt::ControlModifier) != 0;
        },
        [run, painted] {
            run->keyNs = run->clock.nsecsElapsed();
            painted->arm();
        });
    auto *wait = new QTimer(window);
    QObject::connect(wait, &QTimer::timeout, window, [window, wait] {
        if (!window->isFindingMatches() && !window->bodyMatches().isEmpty()) {
            wait->stop();
            window->txtBody->setFocus();
            ready(window);
        }
    });
    wait->start(10);
}

} // namespace

int main(int argc, char *argv[])
{
    QuilletApplication application(argc, argv);
    QuilletApplication::configure();
    const QStringList arguments = QApplication::arguments().mid(1);
    const QString mode = arguments.value(0);
    const bool usable =
        (mode == u"step" && arguments.size() == 3) || (mode == u"list" && arguments.size() == 2) ||
        (mode == u"find" && arguments.size() == 3) || (mode == u"match" && arguments.size() == 4);
    if (!usable) {
        std::fprintf(stderr, "usage: quillet-bench-folder step FOLDER STEPS | list FOLDER | "
                             "find FOLDER QUERY | match NOTE QUERY STEPS\n");
        return 2;
    }
    return QuilletApplication::run([&arguments, &mode] {
        Main();
        frmMain *window = MainForm();
        window->setCommandLineSource([] { return QString(); });
        // What each run measures is shown or not whatever an earlier run left in the settings.
        window->ShowNoteList(false);
        if (mode == u"step")
            benchStep(window, arguments[1], arguments[2].toInt());
        else if (mode == u"list")
            benchList(window, arguments[1]);
        else if (mode == u"find")
            benchFind(window, arguments[1], arguments[2]);
        else
            benchMatch(window, arguments[1], arguments[2], arguments[3].toInt());
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [] {
            std::printf("timeout\n");
            std::fflush(stdout);
            QCoreApplication::exit(1);
        });
        giveUp.start(GiveUpMs);
        const int status = QApplication::exec();
        EndMain();
        return status;
    });
}
