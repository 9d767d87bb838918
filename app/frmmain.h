// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteview.h"
#include "qverror.h"
#include "settingswriteguard.h"

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class NoteFolderList;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;
class frmSearch;

// The viewer's only window: three captions, the four read-only fields that show a note, the
// menus, and the one-shot timer that opens the file named on the command line.
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
    QMap<int, QAction *> mnuHelp;

    // Time stamps show time first with the short date; otherwise the long date, then the time.
    // Read at each load, so a change shows from the next note on.
    bool ShortDate = false;
    // Notes are read in every layout that phones and other programs write, several notes to a
    // file among them; otherwise only in the one layout of the original viewer. Read at each
    // load.
    bool LenientLayouts = false;

    // What the window shows of the current note.
    [[nodiscard]] const NoteView &view() const { return m_view; }

    // Where the timer takes the command line from; the program's own arguments by default.
    void setCommandLineSource(std::function<QString()> source);

    // Showing the window the first time loads it first (Form_Load) and arms the timer.
    void setVisible(bool visible) override;

    void tmrDoIt_Timer();
    void OpenWithDialog();
    // Saves the note on show as text, Markdown or JSON, in a file the user picks.
    void ExportShownNote();
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
    void mnuHelp_Click(int index);

    // Shows the next (`direction` 1) or the previous (-1) note: of the file shown, then of its
    // folder, in a file manager's order, going on from the last file tried. Nothing wraps.
    void StepNote(int direction);
    // Opens the window that finds notes in the shown note's folder.
    void FindInNotes();
    // Shows note `note` (from 0) of the file in `path`, as LoadNoteFile does, and selects in it
    // the first match of `query`.
    void ShowSearchHit(const QString &path, int note, const QString &query);
    // Shows the first note of `folder`, in a file manager's order.
    void OpenFolder(const QString &folder);

    // The search window, once it has been opened.
    [[nodiscard]] frmSearch *searchWindow() const { return m_search; }
    // The list of the shown note's folder that stepping goes by.
    [[nodiscard]] const NoteFolderList &folderNotes() const { return *m_folderNotes; }

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
    void stepToNeighbour(int direction);
    void folderListed();
    void updateStepItems();
    [[nodiscard]] bool listsShownFolder() const;
    [[nodiscard]] QString searchFolder() const;
    // The open dialog's remembered folder; empty while none is.
    [[nodiscard]] static QString rememberedFolder();
    void selectMatch(const QString &query);
    [[nodiscard]] int twips(int value) const;

    NoteView m_view;
    // Text shown greyed in the empty body, never part of the note.
    QString m_bodyPlaceholder;
    // The file of the last load, even one that failed: stepping goes on from it.
    QString m_lastTried;
    // The notes of the file shown, read leniently, and which of them is shown.
    QList<NoteView> m_notesOfFile;
    qsizetype m_noteOfFile = 0;
    NoteFolderList *m_folderNotes = nullptr;
    // A step asked for while the folder was being listed, done once it has been.
    int m_pendingStep = 0;
    // A folder dropped on the window, whose first note is shown once it has been listed.
    QString m_pendingFolder;
    frmSearch *m_search = nullptr;
    std::function<QString()> m_commandLine;
    // A dropped file, loaded once the drop has returned.
    QString m_droppedFile;
    QTimer *m_dropLoad = nullptr;
    bool m_loaded = false;
    SettingsWriteGuard m_settingsWrites{this};
};
