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
    PaintWatch(QWidget *widget, std::function<void()> after)
        : QObject(widget), m_widget(widget), m_after(std::move(after))
    {
        widget->installEventFilter(this);
    }
    void arm() { m_armed = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_armed && watched == m_widget && event->type() == QEvent::Paint) {
            m_armed = false;
            QTimer::singleShot(0, this, m_after);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_widget;
    std::function<void()> m_after;
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

void benchStep(frmMain *window, const QString &folder, int steps)
{
    window->LoadNoteFile(folder + QStringLiteral("/memo1.vnt"));
    auto *clock = new QElapsedTimer;
    clock->start();
    auto *done = new int(0);
    auto *startNs = new qint64(0);
    auto *title = new QString(window->windowTitle());
    auto *painted = new PaintWatch(window->txtBody->viewport(), [=] {
        std::printf("step %.3f\n", msSince(*clock, *startNs));
        std::fflush(stdout);
        if (++*done == steps)
            QCoreApplication::exit(0);
    });
    new KeyWatch(
        [](const QKeyEvent &key) {
            return key.key() == Qt::Key_PageDown && key.modifiers() == Qt::ControlModifier;
        },
        [=] {
            *startNs = clock->nsecsElapsed();
            painted->arm();
        });
    // Ready once the folder's list is in hand, as it is a moment after any note is shown.
    auto *wait = new QTimer(window);
    QObject::connect(wait, &QTimer::timeout, window, [=] {
        if (window->folderNotes().hasList() && window->windowTitle() == *title) {
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

    auto *clock = new QElapsedTimer;
    clock->start();
    auto *keyNs = new qint64(-1);
    auto *firstMs = new double(-1);
    auto *lateMs = new double(0);
    auto *baseKb = new long(0);
    auto *lastTickNs = new qint64(0);
    auto *warm = new bool(false);

    // The user-interface thread's lateness: how much later than asked a short timer fires.
    auto *ticker = new QTimer(search);
    ticker->setTimerType(Qt::PreciseTimer);
    ticker->setInterval(TimerMs);
    QObject::connect(ticker, &QTimer::timeout, search, [=] {
        const qint64 now = clock->nsecsElapsed();
        if (*lastTickNs > 0)
            *lateMs = std::max(*lateMs, double(now - *lastTickNs) / 1e6 - TimerMs);
        *lastTickNs = now;
    });

    const auto complete = [search, query] {
        return search->txtQuery->text() == query;
    };
    auto *allPainted = new PaintWatch(search->lstResults->viewport(), [=] {
        const double allMs = msSince(*clock, *keyNs);
        const long peak = statusKilobytes("VmHWM:");
        std::printf("find first %.3f all %.3f results %d late %.3f added %ld\n", *firstMs, allMs,
                    search->results().rowCount(), *lateMs, peak - *baseKb);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    auto *firstPainted =
        new PaintWatch(search->lstResults->viewport(), [=] { *firstMs = msSince(*clock, *keyNs); });
    QObject::connect(&search->results(), &QAbstractItemModel::rowsInserted, search, [=] {
        if (complete() && *firstMs < 0)
            firstPainted->arm();
    });
    QObject::connect(search, &frmSearch::searchFinished, search, [=] {
        if (*warm) {
            if (complete()) {
                allPainted->arm();
                search->lstResults->viewport()->update();
            }
            return;
        }
        *warm = true;
        search->txtQuery->clear();
        // What the window holds before the user types: the search adds to it.
        *baseKb = statusKilobytes("VmRSS:");
        resetPeakMemory();
        // Timed from the keystroke that completes the query; each one before it started a
        // search that the next one cancelled.
        new KeyWatch([search](const QKeyEvent &) { return search->txtQuery->hasFocus(); },
                     [=] {
                         *keyNs = clock->nsecsElapsed();
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
        QTimer::singleShot(GiveUpMs, [] {
            std::printf("timeout\n");
            std::fflush(stdout);
            QCoreApplication::exit(1);
        });
        const int status = QApplication::exec();
        EndMain();
        return status;
    });
}
