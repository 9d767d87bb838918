// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmsearch.h"

#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The window's default size, in average characters and lines of its font.
constexpr int DefaultColumns = 110;
constexpr int DefaultLines = 26;
constexpr int FileColumnCharacters = 22;
// About as wide as a long date is written: the column is sized to hold one.
const QString LongDateSample = QStringLiteral("четверг, 30 сентября 2013 г., 00:00:00");

bool sameOptions(const SearchOptions &a, const SearchOptions &b)
{
    return a.lenient == b.lenient && a.display.shortDate == b.display.shortDate &&
           a.display.locale == b.display.locale && a.display.zone == b.display.zone;
}

} // namespace

frmSearch::frmSearch(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Найти в заметках"));
    setModal(false);
    setSizeGripEnabled(true);
    if (owner != nullptr)
        setFont(owner->font());

    lblQuery = new QLabel(QStringLiteral("&Искать:"), this);
    txtQuery = new QLineEdit(this);
    txtQuery->setAccessibleName(QStringLiteral("Текст для поиска"));
    txtQuery->setClearButtonEnabled(true);
    lblQuery->setBuddy(txtQuery);
    txtQuery->installEventFilter(this);

    lblFolder = new QLabel(this);
    lblFolder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lblResults = new QLabel(QStringLiteral("&Найденные заметки:"), this);
    lstResults = new QTreeView(this);
    lstResults->setAccessibleName(QStringLiteral("Найденные заметки"));
    lstResults->setModel(&m_results);
    lstResults->setRootIsDecorated(false);
    lstResults->setUniformRowHeights(true);
    lstResults->setAllColumnsShowFocus(true);
    lstResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstResults->setSelectionMode(QAbstractItemView::SingleSelection);
    lstResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstResults->setTextElideMode(Qt::ElideRight);
    const int character = fontMetrics().averageCharWidth();
    lstResults->header()->resizeSection(SearchResultsModel::FileColumn,
                                        FileColumnCharacters * character);
    lstResults->header()->resizeSection(SearchResultsModel::ModifiedColumn,
                                        fontMetrics().horizontalAdvance(LongDateSample) +
                                            2 * character);
    lstResults->header()->setStretchLastSection(true);
    lblResults->setBuddy(lstResults);

    lblStatus = new QLabel(this);
    lblStatus->setAccessibleName(QStringLiteral("Итог поиска"));
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblStatus->setWordWrap(true);

    cmdShow = new QPushButton(QStringLiteral("&Показать"), this);
    cmdShow->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("Закрыть"), this);
    cmdClose->setAutoDefault(false);

    auto *query = new QHBoxLayout;
    query->addWidget(lblQuery);
    query->addWidget(txtQuery, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus, 1);
    buttons->addWidget(cmdShow);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(query);
    layout->addWidget(lblFolder);
    layout->addWidget(lblResults);
    layout->addWidget(lstResults, 1);
    layout->addLayout(buttons);
    setTabOrder(txtQuery, lstResults);
    setTabOrder(lstResults, cmdShow);
    setTabOrder(cmdShow, cmdClose);
    resize(DefaultColumns * character, DefaultLines * fontMetrics().height());

    connect(txtQuery, &QLineEdit::textChanged, this, &frmSearch::search);
    connect(lstResults, &QAbstractItemView::doubleClicked, this, &frmSearch::showCurrent);
    connect(cmdShow, &QPushButton::clicked, this, &frmSearch::showCurrent);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(&m_watcher, &QFutureWatcher<SearchBatch>::resultsReadyAt, this,
            &frmSearch::takeBatches);
    connect(&m_watcher, &QFutureWatcher<SearchBatch>::finished, this, &frmSearch::searchEnded);
    showStatus();
}

frmSearch::~frmSearch()
{
    m_watcher.cancel();
    m_watcher.waitForFinished();
}

void frmSearch::setScope(const QString &folder, const SearchOptions &options)
{
    const bool changed = folder != m_folder || !sameOptions(options, m_options);
    m_folder = folder;
    m_options = options;
    m_folderList.follow(folder);
    lblFolder->setText(QStringLiteral("Папка: ") + shownText(folder));
    lblFolder->setToolTip(shownText(folder));
    if (changed || m_stopped)
        search();
}

void frmSearch::search()
{
    m_watcher.cancel();
    m_results.clear();
    m_total = -1;
    m_searched = 0;
    m_skipped = 0;
    m_failure.clear();
    m_stopped = false;
    m_query = txtQuery->text();
    if (m_query.trimmed().isEmpty() || m_folder.isEmpty()) {
        m_watcher.setFuture(QFuture<SearchBatch>());
        m_searching = false;
        showStatus();
        return;
    }
    // The folder's list as kept, when it is current; otherwise the search lists the folder
    // itself, and the list is made again for the next keystroke.
    std::optional<QStringList> notes;
    if (m_folderList.hasList() && m_folderList.isCurrent())
        notes = m_folderList.notes();
    else
        m_folderList.refresh();
    m_watcher.setFuture(StartFolderSearch(m_folder, notes, m_query, m_options));
    m_searching = true;
    showStatus();
}

void frmSearch::takeBatches(int begin, int end)
{
    for (int i = begin; i < end; ++i) {
        const SearchBatch batch = m_watcher.resultAt(i);
        if (batch.total >= 0)
            m_total = batch.total;
        m_searched += batch.searched;
        m_skipped += batch.skipped;
        if (!batch.failure.isEmpty())
            m_failure = batch.failure;
        m_results.append(batch.hits);
    }
    if (!lstResults->currentIndex().isValid() && m_results.rowCount() > 0)
        lstResults->setCurrentIndex(m_results.index(0, 0));
    showStatus();
}

void frmSearch::searchEnded()
{
    m_searching = false;
    if (m_watcher.isCanceled())
        return;
    showStatus();
    emit searchFinished();
}

void frmSearch::showStatus()
{
    const qsizetype found = m_results.rowCount();
    cmdShow->setEnabled(found > 0);
    if (!m_failure.isEmpty()) {
        lblStatus->setText(QStringLiteral("Папку не удалось просмотреть. ") + shownText(m_failure));
    } else if (m_query.trimmed().isEmpty()) {
        lblStatus->setText(QStringLiteral("Введите текст, который нужно найти."));
    } else if (m_searching) {
        lblStatus->setText(
            QStringLiteral("Идёт поиск… Просмотрено файлов: %1%2. Найдено: %3.")
                .arg(m_searched)
                .arg(m_total >= 0 ? QStringLiteral(" из %1").arg(m_total) : QString())
                .arg(found));
    } else {
        QString text = QStringLiteral("Найдено заметок: %1. Просмотрено файлов: %2.")
                           .arg(found)
                           .arg(m_searched);
        if (m_skipped > 0)
            text += QStringLiteral(" Пропущено: %1 (не читаются или не заметки).").arg(m_skipped);
        lblStatus->setText(text);
    }
}

void frmSearch::showCurrent()
{
    QModelIndex current = lstResults->currentIndex();
    if (!current.isValid() && m_results.rowCount() > 0)
        current = m_results.index(0, 0);
    if (current.isValid())
        emit showRequested(m_results.hit(current.row()), m_query);
}

void frmSearch::hideEvent(QHideEvent *event)
{
    // Closed: the search stops, and runs again when the window is opened again.
    if (m_searching) {
        m_watcher.cancel();
        m_stopped = true;
    }
    QDialog::hideEvent(event);
}

// Down from the field goes to the results, as in a file manager's search.
bool frmSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtQuery && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Down || key == Qt::Key_PageDown) && m_results.rowCount() > 0) {
            lstResults->setFocus();
            if (!lstResults->currentIndex().isValid())
                lstResults->setCurrentIndex(m_results.index(0, 0));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
