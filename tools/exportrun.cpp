// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportrun.h"

#include "exportinputs.h"
#include "noteexport.h"
#include "notetitle.h"
#include "orderedwork.h"
#include "outputnames.h"
#include "progressline.h"
#include "qvfilename.h"
#include "savedfile.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QThread>

#include <new>
#include <optional>
#include <sys/stat.h>

namespace {

// Results done ahead of the one due, at most: in count, and in bytes held.
constexpr qsizetype MaxAhead = 128;
constexpr qsizetype MaxBytesAhead = 32 * 1024 * 1024;
// How long what is done may wait in the output buffer while a note is made, at most, in ms.
constexpr qint64 FlushInterval = 20;

// One note's part of the output, made on a worker thread.
struct NoteOutput
{
    QByteArray bytes;
    int index = 1;
    QDateTime modified; // for a file of its own: the time to give it
    QString title;      // for a document that names its only note
};

// One note file's part of the output.
struct FileOutput
{
    QList<NoteOutput> notes;
    QString message; // for standard error; empty when none
    bool accepted = false;
};

QDateTime fileModified(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(qvTextToFileName(path).constData(), &info) != 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec, QTimeZone::utc())
        .addMSecs(info.st_mtim.tv_nsec / 1000000);
}

// The moment a note's own file is given: when it was last changed, else made, else its note
// file's time.
QDateTime noteMoment(const ExportedNote &note)
{
    if (note.view.modifiedUtc.isValid())
        return note.view.modifiedUtc;
    if (note.view.createdUtc.isValid())
        return note.view.createdUtc;
    return fileModified(note.file);
}

class Run
{
public:
    Run(const RunOptions &options, StandardOutput &output)
        : m_options(options), m_writer(options.settings), m_output(output),
          m_names(options.outputDir, m_writer.format().extension())
    {
    }

    int run(const QStringList &arguments)
    {
        const ExportInputs inputs = collectInputs(arguments, m_options.recursive);
        for (const QString &problem : inputs.problems)
            writeError(problem);
        bool allAccepted = inputs.problems.isEmpty();

        ProgressLine progress(inputs.notes.size());
        OrderedWork<FileOutput> work(
            inputs.notes.size(), [&](qsizetype i) { return make(inputs.notes[i]); },
            [](const FileOutput &file) {
                qsizetype bytes = 0;
                for (const NoteOutput &note : file.notes)
                    bytes += note.bytes.size();
                return bytes;
            },
            // This thread makes notes too: one thread fewer than there are cores.
            QThread::idealThreadCount() - 1, MaxAhead, MaxBytesAhead);

        qsizetype done = 0;
        QElapsedTimer sinceFlush;
        sinceFlush.start();
        for (FileOutput file; m_output.ok() && work.next(file);) {
            if (!file.message.isEmpty()) {
                progress.clear();
                writeError(file.message);
            }
            allAccepted = allAccepted && file.accepted;
            const ExportInput &input = inputs.notes[done];
            for (NoteOutput &note : file.notes)
                allAccepted = (toStandardOutput() ? print(note) : save(input, note)) && allAccepted;
            progress.advance(++done);
            // What is done goes out while the next note is made, but not after every small
            // note: each write costs more than the note.
            if (!work.ready() && sinceFlush.hasExpired(FlushInterval)) {
                m_output.flush();
                sinceFlush.restart();
            }
        }
        progress.clear();
        if (toStandardOutput() && !finish())
            allAccepted = false;
        if (!m_output.close())
            return OutputFailed;
        return allAccepted ? AllAccepted : SomeRejected;
    }

private:
    // Whether the notes go to standard output, not into files of their own.
    [[nodiscard]] bool toStandardOutput() const { return m_options.outputDir.isEmpty(); }

    FileOutput make(const ExportInput &input) const
    {
        const QString &path = input.path;
        try {
            return format(input);
        } catch (const std::bad_alloc &) {
            ExportedNote failure = unreadableNote(path, TextFileReader::outOfMemory());
            FileOutput file;
            file.message = QStringLiteral("%1: %2").arg(path, failure.readFailure);
            if (toStandardOutput()) {
                NoteOutput output;
                output.bytes = m_writer.entry(failure);
                file.notes.append(std::move(output));
            }
            return file;
        }
    }

    FileOutput format(const ExportInput &input) const
    {
        const QString &path = input.path;
        const TextFileReader &reader =
            input.listedFile ? TextFileReader::sharedForListedFiles() : TextFileReader::shared();
        const bool octets = m_writer.format().takesOctets();
        QList<ExportedNote> notes =
            m_options.settings.lenient
                ? exportNotesLenient(path, m_options.display, reader)
                : QList<ExportedNote>{exportNote(path, m_options.display, octets, reader)};
        FileOutput file;
        file.accepted = true;
        for (ExportedNote &note : notes) {
            NoteOutput output;
            output.index = note.index;
            note.folder = input.folder();
            if (toStandardOutput()) {
                output.bytes = m_writer.entry(note);
                if (m_writer.format().needsNote() && note.accepted)
                    output.title = noteTitle(note);
            } else if (note.accepted) {
                output.bytes = m_writer.document(note);
                output.modified = noteMoment(note);
            }
            if (!note.readFailure.isEmpty())
                file.message = QStringLiteral("%1: %2").arg(path, note.readFailure);
            else if (!note.error.isEmpty())
                file.message = QStringLiteral("%1: %2").arg(path, note.error);
            file.accepted = file.accepted && note.accepted;
            if (toStandardOutput() || note.accepted)
                file.notes.append(std::move(output));
        }
        return file;
    }

    bool print(NoteOutput &note)
    {
        if (note.bytes.isEmpty())
            return true;
        // The first note waits: the opening may name it, when it stays the only one.
        if (m_writer.format().needsNote() && !m_opened && !m_held) {
            m_held = std::move(note);
            return true;
        }
        writeHeld({});
        if (!m_opened)
            open({});
        writeEntry(note);
        return true;
    }

    void open(const QString &soleTitle)
    {
        m_output.write(m_writer.opening(soleTitle));
        m_opened = true;
    }

    void writeEntry(const NoteOutput &note)
    {
        m_output.write(m_writer.separator(m_written));
        m_output.write(note.bytes);
        ++m_written;
    }

    void writeHeld(const QString &soleTitle)
    {
        if (!m_held)
            return;
        open(soleTitle);
        writeEntry(*m_held);
        m_held.reset();
    }

    // What is left to write at the end: the note held back, then the closing. Without an
    // accepted note, a document that needs one is not written at all: returns false.
    bool finish()
    {
        if (m_held)
            writeHeld(m_held->title);
        if (!m_opened && m_writer.format().needsNote()) {
            writeError(noNotesToExportMessage());
            return false;
        }
        if (!m_opened)
            open({});
        m_output.write(m_writer.closing(m_written));
        return true;
    }

    bool save(const ExportInput &input, const NoteOutput &note)
    {
        const QString path = m_names.take(input.mirroredPath(), note.index);
        const QString failure = saveFile(path, note.bytes, note.modified, m_options.force);
        if (failure.isEmpty())
            return true;
        writeError(failure);
        return false;
    }

    const RunOptions &m_options;
    const ExportWriter m_writer;
    StandardOutput &m_output;
    OutputNames m_names;
    qsizetype m_written = 0;
    bool m_opened = false;            // whether the opening has been written
    std::optional<NoteOutput> m_held; // the first note, while it may be the only one
};

} // namespace

int runExport(const QStringList &arguments, const RunOptions &options, StandardOutput &output)
{
    return Run(options, output).run(arguments);
}
