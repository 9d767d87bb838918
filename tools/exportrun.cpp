// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportrun.h"

#include "exportinputs.h"
#include "lenientreader.h"
#include "noteexport.h"
#include "notetitle.h"
#include "orderedwork.h"
#include "outputfolder.h"
#include "outputnames.h"
#include "progressline.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QThread>

#include <memory>
#include <new>
#include <optional>
#include <sys/stat.h>

namespace {

// Results done ahead of the one due, at most: in count, and in bytes held.
constexpr qsizetype MaxAhead = 128;
constexpr qsizetype MaxBytesAhead = 32 * 1024 * 1024;
// How long what is done may wait in the output buffer while a note is made, at most, in ms.
constexpr qint64 FlushInterval = 20;
// Of a file with many notes, the output a worker makes at most: the thread that writes the notes
// makes the rest of them as it writes them, so that a file's notes are never all held at once.
constexpr qsizetype MaxFileBytesInHand = 1024 * 1024;
// What a note's part of the output costs besides its bytes, as weighed against the bounds.
constexpr qsizetype NoteOverhead = 64;

// One note's part of the output, made on a worker thread.
struct NoteOutput
{
    QByteArray bytes;
    int index = 1;
    QDateTime modified; // for a file of its own: the time to give it
    QString title;      // for a document that names its only note
};

// One note file's part of the output, or the first notes of a file that holds many.
struct FileOutput
{
    QList<NoteOutput> notes;
    QString message; // for standard error; empty when none
    QString remark;  // for standard error before it, not an error; empty when none
    bool accepted = false;
    // The file's notes still to be made and written, when it holds more than a worker keeps.
    std::unique_ptr<LenientExport> rest;
};

// The memory a file's output holds, as weighed against the bounds.
qsizetype weight(const FileOutput &file)
{
    qsizetype bytes = file.rest ? file.rest->heldBytes() : 0;
    for (const NoteOutput &note : file.notes)
        bytes += note.bytes.size() + NoteOverhead;
    return bytes;
}

// The hint for a note that the strict reading accepted with an empty body though its file holds
// text in another phone's layout; empty otherwise. Reads the file again, for an empty body only.
QString otherLayoutHint(const ExportedNote &note, const TextFileReader &reader)
{
    if (!note.accepted || !note.bodyOctets.isEmpty() || !note.view.txtBody.isEmpty())
        return {};
    try {
        if (!HoldsNoteText(reader.ReadAllBytes(note.file)))
            return {};
    } catch (...) { // the hint is no part of the note: a failure to give it costs nothing
        return {};
    }
    return QStringLiteral(
               "%1: текст заметки записан в формате другого телефона; добавьте --lenient")
        .arg(note.file);
}

class Run
{
public:
    Run(const RunOptions &options, StandardOutput &output)
        : m_options(options), m_writer(options.settings), m_output(output),
          m_names(m_writer.format().extension())
    {
    }

    int run(const QStringList &arguments)
    {
        const ExportInputs inputs = collectInputs(arguments, m_options.recursive, NaturalOrder(),
                                                  m_options.settings.lenient);
        for (const QString &problem : inputs.problems)
            writeError(problem);
        bool allAccepted = inputs.problems.isEmpty();
        InputFiles inputFiles(inputs.notes);
        OutputFolder folder(m_options.outputDir,
                            {m_options.force, m_options.commit, [&](const struct stat &info) {
                                 return inputFiles.contains(info);
                             }});
        if (!toStandardOutput()) {
            if (const QString failure = folder.open(); !failure.isEmpty()) {
                writeError(failure);
                return SomeRejected;
            }
        }
        m_folder = &folder;

        ProgressLine progress(inputs.notes.size(), toStandardOutput());
        OrderedWork<FileOutput> work(
            inputs.notes.size(), [&](qsizetype i) { return make(inputs.notes.at(i)); }, weight,
            // This thread makes notes too: one thread fewer than there are cores.
            QThread::idealThreadCount() - 1, MaxAhead, MaxBytesAhead);

        qsizetype done = 0;
        QElapsedTimer sinceFlush;
        sinceFlush.start();
        for (FileOutput file; m_output.ok() && work.next(file);) {
            const ExportInput &input = inputs.notes[done];
            allAccepted = write(input, file, progress) && allAccepted;
            if (file.rest)
                allAccepted = writeRest(input, *file.rest, progress, sinceFlush) && allAccepted;
            progress.advance(++done);
            flushNow(sinceFlush, work.ready());
        }
        progress.clear();
        if (toStandardOutput()) {
            if (!finish())
                allAccepted = false;
        } else if (const QString failure = folder.sync(); !failure.isEmpty()) {
            writeError(failure);
            allAccepted = false;
        }
        if (!m_output.close())
            return OutputFailed;
        return allAccepted ? AllAccepted : SomeRejected;
    }

private:
    // Whether the notes go to standard output, not into files of their own.
    [[nodiscard]] bool toStandardOutput() const { return m_options.outputDir.isEmpty(); }

    // Writes a file's output: its message, then its notes. Returns whether all were accepted
    // and written.
    bool write(const ExportInput &input, FileOutput &file, ProgressLine &progress)
    {
        for (const QString *text : {&file.remark, &file.message}) {
            if (text->isEmpty())
                continue;
            progress.clear();
            writeError(*text);
        }
        bool written = file.accepted;
        for (NoteOutput &note : file.notes)
            written = (toStandardOutput() ? print(note) : save(input, note)) && written;
        return written;
    }

    // What is done goes out while the next note is made, but not after every small note: each
    // write costs more than the note. Not while the next is `ready`.
    void flushNow(QElapsedTimer &sinceFlush, bool ready)
    {
        if (!ready && sinceFlush.hasExpired(FlushInterval)) {
            m_output.flush();
            sinceFlush.restart();
        }
    }

    FileOutput make(const ExportInput &input) const
    {
        try {
            return format(input);
        } catch (const std::bad_alloc &) {
            return outOfMemory(input.path);
        }
    }

    // Makes the rest of the notes of a file that holds many, and writes each as it is made.
    bool writeRest(const ExportInput &input, LenientExport &notes, ProgressLine &progress,
                   QElapsedTimer &sinceFlush)
    {
        bool written = true;
        for (bool more = true; more && m_output.ok();) {
            FileOutput note;
            note.accepted = true;
            try {
                ExportedNote next;
                more = notes.next(next);
                if (more)
                    take(input, note, next);
            } catch (const std::bad_alloc &) {
                note = outOfMemory(input.path);
                more = false;
            }
            written = write(input, note, progress) && written;
            flushNow(sinceFlush, false);
        }
        return written;
    }

    FileOutput outOfMemory(const QString &path) const
    {
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

    FileOutput format(const ExportInput &input) const
    {
        const QString &path = input.path;
        const TextFileReader &reader =
            input.listedFile ? TextFileReader::sharedForListedFiles() : TextFileReader::shared();
        FileOutput file;
        file.accepted = true;
        if (!m_options.settings.lenient) {
            ExportedNote note =
                exportNote(path, m_options.display, m_writer.format().takesOctets(), reader);
            take(input, file, note);
            if (file.message.isEmpty())
                file.message = otherLayoutHint(note, reader);
            return file;
        }
        auto notes = std::make_unique<LenientExport>(path, m_options.display, reader);
        qsizetype held = 0;
        for (ExportedNote note; notes->next(note);) {
            if (file.remark.isEmpty() && notes->skipped() > 0)
                file.remark = QStringLiteral("%1: пропущено событий календаря: %2")
                                  .arg(path)
                                  .arg(notes->skipped());
            held += take(input, file, note);
            if (held >= MaxFileBytesInHand) {
                file.rest = std::move(notes);
                break;
            }
        }
        return file;
    }

    // Adds a note's part of the output to its file's; returns the weight it adds.
    qsizetype take(const ExportInput &input, FileOutput &file, ExportedNote &note) const
    {
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
            file.message = QStringLiteral("%1: %2").arg(note.file, note.readFailure);
        else if (note.error == noNotesMessage(note.file)) // names the file already
            file.message = note.error;
        else if (!note.error.isEmpty())
            file.message = QStringLiteral("%1: %2").arg(note.file, note.error);
        // An accepted note that carries an error text (one cut off) counts as not accepted whole.
        file.accepted = file.accepted && note.accepted && note.error.isEmpty();
        if (!toStandardOutput() && !note.accepted)
            return 0;
        const qsizetype added = output.bytes.size() + NoteOverhead;
        file.notes.append(std::move(output));
        return added;
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
        const OutputName name = m_names.take(input.mirroredPath(), note.index);
        const QString failure = m_folder->save(name.path, note.bytes, note.modified);
        if (!failure.isEmpty()) {
            writeError(failure);
            return false;
        }
        if (name.shortened)
            writeError(QStringLiteral("Имя сокращено: %1").arg(m_folder->pathOf(name.path)));
        return true;
    }

    const RunOptions &m_options;
    const ExportWriter m_writer;
    StandardOutput &m_output;
    OutputNames m_names;
    OutputFolder *m_folder = nullptr; // for files of their own
    qsizetype m_written = 0;
    bool m_opened = false;            // whether the opening has been written
    std::optional<NoteOutput> m_held; // the first note, while it may be the only one
};

} // namespace

int runExport(const QStringList &arguments, const RunOptions &options, StandardOutput &output)
{
    return Run(options, output).run(arguments);
}
