// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer over a folder of notes, driven by real key presses (bench/run sends them with
// xdotool once this program says it is ready).
//
//     quillet-bench-folder step FOLDER STEPS
//         Shows FOLDER/memo1.vnt and, once the folder has been listed, prints "ready WINDOW".
//         For each Ctrl+PgDown that follows: milliseconds from the key's arrival to the body
//         painted with the next note ("step MS"). Ends after STEPS steps.
//     quillet-bench-folder find FOLDER QUERY
//         Opens the search window, warms the cache with a search that finds nothing, prints
//         "ready WINDOW", and waits for QUERY to be typed. From the keystroke that completes it:
//         "find first MS all MS results N late MS added KB": to the first result painted, to
//         every result painted, the result count, the longest lateness of a 5 ms timer on the
//         user-interface thread while typing and searching, and the peak memory added over what
//         the program held when it was ready.

#include "folderwatch.h"
#include "frmmain.h"
#include "frmsearch.h"
#include "modmain.h"
#include "quilletapplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeView>

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

void benchFind(frmMain *window, const QString &folder, const QString &query)
{
    window->LoadNoteFile(folder + QStringLiteral("/memo1.vnt"));
    window->FindInNotes();
    frmSearch *search = window->searchWindow();
    // A search that finds nothing reads every note once, so that the cache is warm.
    search->txtQuery->setText(QStringLiteral("\u2400"));
    const auto run = std::make_shared<Run>();
    run->clock.start();

    // The user-interface thread's lateness: how much later than asked a short timer fires.
    auto *ticker = new QTimer(search);
    ticker->setTimerType(Qt::PreciseTimer);
    ticker->setInterval(TimerMs);
    QObject::connect(ticker, &QTimer::timeout, search, [run] {
        const qint64 now = run->clock.nsecsElapsed();
        if (run->lastTickNs > 0)
            run->lateMs = std::max(run->lateMs, double(now - run->lastTickNs) / 1e6 - TimerMs);
        run->lastTickNs = now;
    });

    const auto complete = [search, query] {
        return search->txtQuery->text() == query;
    };
    auto *allPainted = new PaintWatch(search->lstResults->viewport(), [run, search] {
        const long peak = statusKilobytes("VmHWM:");
        std::printf("find first %.3f all %.3f results %d late %.3f added %ld\n", run->firstMs,
                    run->msSinceKey(), search->results().rowCount(), run->lateMs,
                    peak - run->baseKb);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    auto *firstPainted =
        new PaintWatch(search->lstResults->viewport(), [run] { run->firstMs = run->msSinceKey(); });
    QObject::connect(&search->results(), &QAbstractItemModel::rowsInserted, search,
                     [run, complete, firstPainted] {
                         if (complete() && run->firstMs < 0)
                             firstPainted->arm();
                     });
    QObject::connect(search, &frmSearch::searchFinished, search, [=] {
        if (run->warm) {
            if (complete()) {
                allPainted->arm();
                search->lstResults->viewport()->update();
            }
            return;
        }
        run->warm = true;
        search->txtQuery->clear();
        // What the window holds before the user types: the search adds to it.
        run->baseKb = statusKilobytes("VmRSS:");
        resetPeakMemory();
        // Timed from the keystroke that completes the query; each one before it started a
        // search that the next one cancelled.
        new KeyWatch([search](const QKeyEvent &) { return search->txtQuery->hasFocus(); },
                     [run, ticker] {
                         run->keyNs = run->clock.nsecsElapsed();
                         if (!ticker->isActive())
                             ticker->start();
                     });
        ready(search);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QuilletApplication application(argc, argv);
    QuilletApplication::configure();
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() != 3 || (arguments[0] != u"step" && arguments[0] != u"find")) {
        std::fprintf(stderr, "usage: quillet-bench-folder step FOLDER STEPS | find FOLDER QUERY\n");
        return 2;
    }
    return QuilletApplication::run([&arguments] {
        Main();
        frmMain *window = MainForm();
        window->setCommandLineSource([] { return QString(); });
        if (arguments[0] == u"step")
            benchStep(window, arguments[1], arguments[2].toInt());
        else
            benchFind(window, arguments[1], arguments[2]);
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
