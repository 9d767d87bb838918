// SPDX-License-Identifier: GPL-3.0-or-later
#include "notelistpanel.h"

#include "excerptdelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int FileColumnCharacters = 14;
constexpr int TitleColumnCharacters = 28;
constexpr int TextColumnCharacters = 40;
// About as wide as a long date is written: the column is sized to hold one.
const QString LongDateSample = QStringLiteral("четверг, 30 сентября 2013 г., 00:00:00");

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

NoteListPanel::NoteListPanel(QWidget *parent) : QWidget(parent)
{
    txtFilter = new QLineEdit(this);
    txtFilter->setPlaceholderText(QStringLiteral("Найти в заметках"));
    txtFilter->setAccessibleName(QStringLiteral("Найти в заметках"));
    txtFilter->installEventFilter(this);
    // The clear button shows only over text, and its icon is looked up in the icon theme, which
    // would cost the window's start more than all the rest of the list: it comes with the text.
    connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!text.isEmpty() && !txtFilter->isClearButtonEnabled())
            txtFilter->setClearButtonEnabled(true);
    });

    // A table, not a tree: rows added at the end cost a table little, while a tree lays out all
    // of its rows again each time, which a folder of 100,000 notes would feel.
    lstNotes = new QTableView(this);
    lstNotes->setAccessibleName(QStringLiteral("Список заметок"));
    lstNotes->setModel(&m_order);
    lstNotes->setShowGrid(false);
    lstNotes->setWordWrap(false);
    lstNotes->setTabKeyNavigation(false);
    lstNotes->setCornerButtonEnabled(false);
    lstNotes->verticalHeader()->hide();
    lstNotes->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstNotes->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    lstNotes->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    lstNotes->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstNotes->setSelectionMode(QAbstractItemView::SingleSelection);
    lstNotes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstNotes->setTextElideMode(Qt::ElideRight);
    lstNotes->setItemDelegateForColumn(NoteListModel::TextColumn, new ExcerptDelegate(lstNotes));
    lstNotes->setSortingEnabled(true);
    lstNotes->sortByColumn(NoteListModel::FileColumn, Qt::AscendingOrder);
    lstNotes->setColumnHidden(NoteListModel::TextColumn, true);
    const int character = fontMetrics().averageCharWidth();
    QHeaderView *header = lstNotes->horizontalHeader();
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->resizeSection(NoteListModel::TitleColumn, TitleColumnCharacters * character);
    header->resizeSection(NoteListModel::ModifiedColumn,
                          fontMetrics().horizontalAdvance(LongDateSample) + 2 * character);
    header->resizeSection(NoteListModel::FileColumn, FileColumnCharacters * character);
    header->resizeSection(NoteListModel::TextColumn, TextColumnCharacters * character);
    // While the filter is on, the text around each match stands next to the title.
    header->moveSection(header->visualIndex(NoteListModel::TextColumn), 1);
    header->setStretchLastSection(true);
    lstNotes->installEventFilter(this);

    lblCount = new QLabel(this);
    lblCount->setAccessibleName(QStringLiteral("Число заметок"));
    lblCount->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *layout = new QVBoxLayout(this);
    // The list keeps the margin that the fields keep from the window's edges.
    const int margin = qRound(logicalDpiY() / 12.0);
    layout->setContentsMargins(margin, margin, 0, margin);
    layout->addWidget(txtFilter);
    layout->addWidget(lstNotes, 1);
    layout->addWidget(lblCount);
    setTabOrder(txtFilter, lstNotes);

    connect(txtFilter, &QLineEdit::textChanged, this, &NoteListPanel::filter);
    connect(lstNotes, &QAbstractItemView::clicked, this, &NoteListPanel::showRow);
    // Rows read, or let through by the filter: the note on show may be among them.
    connect(&m_order, &QAbstractItemModel::rowsInserted, this, [this] {
        selectShown();
        showCount();
    });
    showCount();
}

void NoteListPanel::setFolder(const QString &folder, const QStringList &files,
                              const SearchOptions &options)
{
    if (folder == m_folder && files == m_files && options == m_options && !m_model.isEmpty())
        return;
    m_folder = folder;
    m_files = files;
    m_options = options;
    readRows();
}

void NoteListPanel::setOptions(const SearchOptions &options)
{
    m_options = options;
    if (!m_folder.isEmpty())
        readRows();
}

void NoteListPanel::clear()
{
    m_reading.cancel();
    m_search.cancel();
    m_folder.clear();
    m_files.clear();
    m_model.clear();
    showCount();
}

QString NoteListPanel::query() const
{
    return m_query.trimmed().isEmpty() ? QString() : m_query;
}

void NoteListPanel::readRows()
{
    m_model.clear();
    m_model.reserve(m_files.size());
    m_reading.start(
        [this, files = m_files, options = m_options](const BackgroundJob::Cancelled &cancelled,
                                                     const BackgroundJob::Hand &hand) {
            ReadFolderRows(files, options, cancelled, [this, &hand](RowBatch &&batch) {
                hand([this, rows = std::move(batch.rows)]() mutable {
                    m_model.append(std::move(rows));
                });
            });
        },
        [this] {
            showCount();
            emit readingFinished();
        });
    // The matches belonged to the rows gone.
    if (!query().isEmpty())
        filter();
    showCount();
}

void NoteListPanel::filter()
{
    m_query = txtFilter->text();
    const QString wanted = query();
    m_model.clearMatches();
    m_order.setFiltering(!wanted.isEmpty());
    lstNotes->setColumnHidden(NoteListModel::TextColumn, wanted.isEmpty());
    if (wanted.isEmpty() || m_folder.isEmpty()) {
        m_search.cancel();
    } else {
        m_search.start(
            [this, folder = m_folder, files = m_files, options = m_options,
             wanted](const BackgroundJob::Cancelled &cancelled, const BackgroundJob::Hand &hand) {
                SearchFolder(folder, files, NoteMatcher(wanted), options, cancelled,
                             [this, &hand](SearchBatch &&batch) {
                                 if (batch.hits.isEmpty())
                                     return;
                                 hand([this, hits = std::move(batch.hits)] {
                                     m_model.addMatches(hits);
                                     showCount();
                                 });
                             });
            },
            [this] {
                showCount();
                emit filterFinished();
            });
    }
    selectShown();
    showCount();
    emit queryChanged(wanted);
}

void NoteListPanel::showCount()
{
    const int total = m_model.rowCount();
    if (m_order.isFiltering())
        lblCount->setText(QStringLiteral("Найдено: %1 из %2").arg(m_model.matchCount()).arg(total));
    else
        lblCount->setText(QStringLiteral("Заметок: %1").arg(total));
}

void NoteListPanel::showRow(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const NoteRow &row = m_model.row(m_order.mapToSource(index).row());
    emit showRequested(row.path, row.note);
}

void NoteListPanel::selectNote(const QString &path, int note)
{
    m_shownPath = path;
    m_shownNote = note;
    selectShown();
}

void NoteListPanel::selectShown()
{
    const int row = m_model.rowOf(m_shownPath, m_shownNote);
    const QModelIndex shown =
        row < 0 ? QModelIndex() : m_order.mapFromSource(m_model.index(row, 0));
    if (!shown.isValid()) {
        if (row >= 0 || m_shownPath.isEmpty())
            lstNotes->selectionModel()->clearSelection();
        return;
    }
    if (lstNotes->currentIndex().row() == shown.row() &&
        lstNotes->selectionModel()->isRowSelected(shown.row(), {}))
        return;
    lstNotes->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    lstNotes->scrollTo(shown);
}

bool NoteListPanel::lists(const QString &path, int note) const
{
    return m_model.rowOf(path, note) >= 0;
}

void NoteListPanel::setFileState(const QString &path, RowState state)
{
    m_model.setFileState(path, state);
}

std::optional<std::pair<QString, int>> NoteListPanel::neighbour(const QString &path, int note,
                                                                int direction) const
{
    const int row = m_model.rowOf(path, note);
    if (row < 0)
        return std::nullopt;
    const QModelIndex shown = m_order.mapFromSource(m_model.index(row, 0));
    int place = 0;
    if (shown.isValid()) {
        place = shown.row() + direction;
    } else {
        // Filtered out: the rows around where it would stand.
        int low = 0;
        int high = m_order.rowCount();
        while (low < high) {
            const int middle = (low + high) / 2;
            if (m_order.before(m_order.mapToSource(m_order.index(middle, 0)).row(), row))
                low = middle + 1;
            else
                high = middle;
        }
        place = direction > 0 ? low : low - 1;
    }
    if (place < 0 || place >= m_order.rowCount())
        return std::nullopt;
    const NoteRow &next = m_model.row(m_order.mapToSource(m_order.index(place, 0)).row());
    return std::make_pair(next.path, next.note);
}

// Down goes from the filter to the list, Escape back; Escape in the filter empties it, and in an
// empty one goes back to the note. Enter shows the row.
bool NoteListPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    if (watched == txtFilter && plain) {
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown) &&
            m_order.rowCount() > 0) {
            lstNotes->setFocus();
            if (!lstNotes->currentIndex().isValid())
                lstNotes->setCurrentIndex(m_order.index(0, 0));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            if (!txtFilter->text().isEmpty())
                txtFilter->clear();
            else
                emit leaveRequested();
            return true;
        }
        if (isEnter(key->key())) {
            const QModelIndex current = lstNotes->currentIndex();
            showRow(current.isValid() ? current : m_order.index(0, 0));
            return true;
        }
    }
    if (watched == lstNotes && plain) {
        if (key->key() == Qt::Key_Escape) {
            txtFilter->setFocus();
            return true;
        }
        if (isEnter(key->key())) {
            showRow(lstNotes->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
