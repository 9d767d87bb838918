// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "notelistrows.h"
#include "noteview.h"
#include "qverror.h"
#include "settingswriteguard.h"

#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class BackgroundJob;
class QPrinter;
class QUrl;
struct BatchOptions;
struct BatchResult;
struct ExportDestination;
struct ExportInput;
class DesignedLayout;
class NoteFolderList;
class NoteListPanel;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTimer;

// The viewer's window: three captions, the four read-only fields that show a note, the note list
// beside them, the menus, the status bar, and the one-shot timer that opens the file named on the
// command line.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);

    // The controls, by name; menu items by the indexes their click handlers receive.
    std::array<QLabel *, 3> lblTag{};
    QLineEdit *txtVersion = nullptr;
    QLineEdit *txtDateCreated = nullptr;
    QLineEdit *txtDateModified = nullptr;
    QPlainTextEdit *txtBody = nullptr;
    QTimer *tmrDoIt = nullptr;
    QMap<int, QMenu *> mnuMain;
    QMap<int, QAction *> mnuFile;
    QMap<int, QAction *> mnuSettings;
    QMap<int, QAction *> mnuView;
    QMap<int, QAction *> mnuHelp;
    // File > Недавние: the notes and folders opened last.
    QMenu *mnuRecent = nullptr;
    // The note list, left of the fields.
    NoteListPanel *pnlNotes = nullptr;
    // Over the empty body until a file has been tried: what to do, and the recent files.
    QLabel *lblStart = nullptr;

    // Time stamps show time first with the short date; otherwise the long date, then the time.
    // Read at each load, so a change shows from the next note on.
    bool ShortDate = false;
    // Notes are read in every layout that phones and other programs write, several notes to a
    // file among them; otherwise only in the one layout of the original viewer. Read at each
    // load.
    bool LenientLayouts = false;
    // The designed layout and the window's font, scaled in per cent.
    int Zoom = 100;
    // The notes and folders opened last, newest first.
    QStringList Recent;

    static constexpr int MinZoom = 50;
    static constexpr int MaxZoom = 300;
    static constexpr int ZoomStep = 10;
    static constexpr int MaxRecent = 10;

    // Opens a folder in the desktop's file manager; tests put their own here.
    std::function<void(const QUrl &)> openFolderUrl;

    // What the window shows of the current note.
    [[nodiscard]] const NoteView &view() const { return m_view; }

    // Where the timer takes the command line from; the program's own arguments by default.
    void setCommandLineSource(std::function<QString()> source);

    // Showing the window the first time loads it first (Form_Load) and arms the timer.
    void setVisible(bool visible) override;

    void tmrDoIt_Timer();
    void OpenWithDialog();
    // Saves the note on show as text, Markdown, JSON, HTML or ENEX, in a file the user picks,
    // named by its title and dated by its modification time.
    void ExportShownNote();
    // Exports every note of the list's folder (else the shown note's) for another application,
    // asking where, and says how many were saved.
    void ExportAllNotes();
    // Prints the note on show through the print dialog.
    void PrintNote();
    // Prints the note on show on `printer`: its title as a heading, the two dates with their
    // captions, then the body wrapped, with page numbers.
    void printNote(QPrinter &printer) const;
    // Shows the note in `path`, or the empty view; reports every problem itself.
    void LoadNoteFile(QString path);
    void ClearView();
    void Form_Load();
    void Form_Unload();
    void LoadSettings();
    void SaveSettings();
    // `shift` holds the modifiers as Shift 1, Ctrl 2, Alt 4.
    void Form_KeyDown(int keyCode, int shift);
    void mnuFile_Click(int index);
    void mnuSettings_Click(int index);
    void mnuView_Click(int index);
    void mnuHelp_Click(int index);

    // Shows the next (`direction` 1) or the previous (-1) note: of the file shown, then of its
    // folder, in a file manager's order, going on from the last file tried. Nothing wraps.
    void StepNote(int direction);
    // Puts the focus in the note list's filter, showing the list.
    void FindInNotes();
    // Shows note `note` (from 0) of the file in `path`, as LoadNoteFile does.
    void ShowListedNote(const QString &path, int note);
    // Shows the first note of `folder`, in a file manager's order, and the note list.
    void OpenFolder(const QString &folder);
    // Picks a folder in a dialog and opens it.
    void OpenFolderWithDialog();
    // Opens an entry of Recent: a note or a folder. One that cannot be read leaves the list once
    // the load's box is cancelled.
    void OpenRecent(const QString &path);
    // Shows or hides the note list.
    void ShowNoteList(bool shown);
    // Scales the window to `percent`, within MinZoom and MaxZoom.
    void SetZoom(int percent);
    // Selects the next (`direction` 1) or the previous (-1) match of the filter in the note.
    void StepMatch(int direction);

    // The list of the shown note's folder that stepping goes by.
    [[nodiscard]] const NoteFolderList &folderNotes() const { return *m_folderNotes; }
    // The area that holds the captions and the fields, at its designed size or larger.
    [[nodiscard]] QWidget *clientArea() const { return m_client; }
    // Where the filter's matches stand in the body shown, as far as they have been found.
    [[nodiscard]] const QList<qsizetype> &bodyMatches() const { return m_matches; }
    // While the matches in the body are being found.
    [[nodiscard]] bool isFindingMatches() const;
    // While the file shown is being looked through for the notes it holds.
    [[nodiscard]] bool isScanning() const;

    // The modifier mask that Form_KeyDown receives.
    [[nodiscard]] static int shiftMask(Qt::KeyboardModifiers modifiers);

    // Picks the last note of a file that holds several.
    static constexpr int LastNote = -1;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenus();
    void createStepping();
    void createList();
    void createStartHint();
    void showView();
    // LoadNoteFile, showing note `pick` of a file that holds several (LastNote: its last).
    void loadNote(const QString &path, int pick);
    // One attempt of LoadNoteFile: the failure that its box reports (the read's own, or memory
    // running out in reading, parsing or showing), or none.
    [[nodiscard]] std::optional<QvError> readParseAndShow(const QString &path, int pick);
    [[nodiscard]] std::optional<QvError> readLenientAndShow(const QString &path, int pick);
    // Points the way to the lenient reading when the strict one left a body empty that holds text.
    void offerLenientReading(const QString &path);
    void showNoteOfFile(qsizetype index);
    [[nodiscard]] QString titleOfNoteOfFile(qsizetype index) const;
    // Looks through a file of another kind for its notes, off the user-interface thread, and
    // shows note `pick` (LastNote: the last) as soon as it is found.
    void startScan(const QString &path, int pick);
    // Shows note `pick` of the notes found in the file before, when the file is as it was then.
    bool showScannedBefore(const QString &path, int pick);
    void scanFound(QList<NoteView> &&notes);
    void scanEnded();
    void scanFailed(const QvError &failure);
    // "Поиск заметок в файле: NAME (найдено: N)".
    [[nodiscard]] QString scanMessage() const;
    void stepToNeighbour(int direction);
    void folderListed();
    void updateStepItems();
    [[nodiscard]] bool listsShownFolder() const;
    // Whether stepping goes by the note list: it holds all of the shown note's folder.
    [[nodiscard]] bool stepsByList() const;
    // The open dialog's remembered folder; empty while none is.
    [[nodiscard]] static QString rememberedFolder();
    // The folder of the last export, while it is there; else empty.
    [[nodiscard]] static QString lastExportFolder();
    void rememberExportFolder(const QString &folder);
    // Asks for the folder or file that the export of all notes goes to; empty when cancelled.
    QString pickExportTarget(const ExportDestination &destination, const QString &notes);
    BatchResult runBatch(const QList<ExportInput> &inputs, const BatchOptions &options);
    // Lists the shown note's folder in the note list, while it is shown.
    void listShownFolder();
    [[nodiscard]] SearchOptions readingOptions() const;
    // After a load: the status bar and the list say what became of the file.
    void reportLoad(const QString &path, std::optional<RowState> failure);
    void findMatches();
    void showMatches();
    void remember(const QString &path);
    void forget(const QString &path);
    void updateRecentMenu();
    void updateStartHint();
    void updateNoteItems();
    void applyZoom();
    void fitOnScreen();
    [[nodiscard]] int twips(int value) const;

    NoteView m_view;
    // Text shown greyed in the empty body, never part of the note.
    QString m_bodyPlaceholder;
    // The file of the last load, even one that failed: stepping goes on from it.
    QString m_lastTried;
    // The notes of the file shown, read leniently, and which of them is shown.
    QList<NoteView> m_notesOfFile;
    qsizetype m_noteOfFile = 0;
    // The look through a file of another kind for its notes, which adds to m_notesOfFile; the
    // note it is to show once found (none shown until then: m_scanWaiting); a step forward that
    // waits for the next note found; the failure that ended it.
    BackgroundJob *m_scan = nullptr;
    int m_scanPick = 0;
    bool m_scanWaiting = false;
    bool m_scanStep = false;
    std::optional<QvError> m_scanFailure;
    // The notes of the file looked through last, kept while it is the one shown, so that the
    // note list's steps within it need not look through it again; and the file as it was when
    // the look began.
    struct ScannedFile
    {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        bool shortDate = false;
        QList<NoteView> notes;
    };
    ScannedFile m_scanned;
    ScannedFile m_scanning;
    // Whether the file is as it was when looked through, and the dates would read the same.
    [[nodiscard]] bool isUnchanged(const ScannedFile &scanned) const;
    NoteFolderList *m_folderNotes = nullptr;
    QWidget *m_client = nullptr;
    DesignedLayout *m_layout = nullptr;
    QSplitter *m_split = nullptr;
    // The note list's width, kept while it is hidden.
    int m_listWidth = 0;
    // The last load ended in a read failure that was not retried away.
    bool m_readFailed = false;
    // A file or folder has been tried in this run: the start hint is gone.
    bool m_triedAny = false;
    // The filter's matches in the body shown, the search for them, and the query they are of.
    QList<qsizetype> m_matches;
    QString m_matchesQuery;
    BackgroundJob *m_matchSearch = nullptr;
    // A step asked for while the folder was being listed, done once it has been.
    int m_pendingStep = 0;
    // A folder dropped on the window, whose first note is shown once it has been listed.
    QString m_pendingFolder;
    std::function<QString()> m_commandLine;
    // A dropped file, loaded once the drop has returned.
    QString m_droppedFile;
    QTimer *m_dropLoad = nullptr;
    bool m_loaded = false;
    SettingsWriteGuard m_settingsWrites{this};
};
