// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportrun.h"

#include "exportinputs.h"
#include "noteexport.h"
#include "orderedwork.h"
#include "outputfolder.h"
#include "outputnames.h"
#include "progressline.h"
#include "qvfilename.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QThread>

#include <new>
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
          m_names(exportFileExtension(options.settings.format))
    {
    }

    int run(const QStringList &arguments)
    {
        const ExportInputs inputs = collectInputs(arguments, m_options.recursive);
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

        if (toStandardOutput())
            m_output.write(m_writer.opening());
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
        if (toStandardOutput()) {
            m_output.write(m_writer.closing(m_written));
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
        // JSON is written as UTF-8: a body may stay in its octets.
        const bool octets = m_options.settings.format == ExportFormat::Json ||
                            m_options.settings.format == ExportFormat::Jsonl;
        QList<ExportedNote> notes =
            m_options.settings.lenient
                ? exportNotesLenient(path, m_options.display, reader)
                : QList<ExportedNote>{exportNote(path, m_options.display, octets, reader)};
        FileOutput file;
        file.accepted = true;
        for (ExportedNote &note : notes) {
            NoteOutput output;
            output.index = note.index;
            if (toStandardOutput()) {
                output.bytes = m_writer.entry(note);
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

    bool print(const NoteOutput &note)
    {
        if (note.bytes.isEmpty())
            return true;
        m_output.write(m_writer.separator(m_written));
        m_output.write(note.bytes);
        ++m_written;
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
};

} // namespace

int runExport(const QStringList &arguments, const RunOptions &options, StandardOutput &output)
{
    return Run(options, output).run(arguments);
}
