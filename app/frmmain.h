// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteview.h"
#include "qverror.h"
#include "settingswriteguard.h"

#include <QMainWindow>
#include <QMap>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;

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

    // The modifier mask that Form_KeyDown receives.
    [[nodiscard]] static int shiftMask(Qt::KeyboardModifiers modifiers);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenus();
    void showView();
    // One attempt of LoadNoteFile: the failure that its box reports (the read's own, or memory
    // running out in reading, parsing or showing), or none.
    [[nodiscard]] std::optional<QvError> readParseAndShow(const QString &path);
    [[nodiscard]] int twips(int value) const;

    NoteView m_view;
    std::function<QString()> m_commandLine;
    // A dropped file, loaded once the drop has returned.
    QString m_droppedFile;
    QTimer *m_dropLoad = nullptr;
    bool m_loaded = false;
    SettingsWriteGuard m_settingsWrites{this};
};
