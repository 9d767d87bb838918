// SPDX-License-Identifier: GPL-3.0-or-later
#include "batchexport.h"

#include "noteexport.h"
#include "notetitle.h"
#include "outputfolder.h"
#include "outputnames.h"
#include "savedfile.h"
#include "textfilereader.h"

#include <QDir>
#include <QFileInfo>

#include <new>

namespace {

// Why a note or file was not saved, as the end of the run lists it.
QString skipReason(const ExportedNote &note)
{
    if (!note.readFailure.isEmpty())
        return QStringLiteral("%1: %2").arg(note.file, note.readFailure);
    return QStringLiteral("%1: не заметка").arg(note.file);
}

// The notes of one input, read as the options say, handed to `take` one by one.
void readNotes(const ExportInput &input, const BatchOptions &options,
               const std::function<void(ExportedNote &)> &take)
{
    const TextFileReader &reader =
        input.listedFile ? TextFileReader::sharedForListedFiles() : TextFileReader::shared();
    const auto give = [&](ExportedNote &note) {
        note.folder = input.folder();
        if (!options.wanted || options.wanted(note.file, note.index))
            take(note);
    };
    try {
        if (!options.settings.lenient) {
            ExportedNote note = exportNote(input.path, options.display, false, reader);
            give(note);
            return;
        }
        LenientExport notes(input.path, options.display, reader);
        for (ExportedNote note; notes.next(note);)
            give(note);
    } catch (const std::bad_alloc &) {
        ExportedNote note = unreadableNote(input.path, TextFileReader::outOfMemory());
        give(note);
    }
}

BatchResult toFolder(const QList<ExportInput> &inputs, const BatchOptions &options,
                     const std::function<bool()> &cancelled,
                     const std::function<void(qsizetype)> &progress)
{
    BatchResult result;
    const ExportWriter writer(options.settings);
    InputFiles inputFiles(inputs);
    OutputFolder folder(options.destination,
                        {options.replace, NameCommit::Rename, [&](const struct stat &info) {
                             return inputFiles.contains(info);
                         }});
    if (const QString failure = folder.open(); !failure.isEmpty()) {
        result.skipped.append(failure);
        return result;
    }
    OutputNames names(writer.format().extension());
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        if (cancelled()) {
            result.cancelled = true;
            break;
        }
        readNotes(inputs[i], options, [&](ExportedNote &note) {
            if (!note.accepted) {
                result.skipped.append(skipReason(note));
                return;
            }
            const OutputName name = names.take(inputs[i].mirroredPath(), note.index);
            const QString failure = folder.save(name.path, writer.document(note), noteMoment(note));
            if (failure.isEmpty())
                ++result.saved;
            else
                result.skipped.append(failure);
        });
        progress(i + 1);
    }
    if (const QString failure = folder.sync(); !failure.isEmpty())
        result.skipped.append(failure);
    return result;
}

BatchResult toFile(const QList<ExportInput> &inputs, const BatchOptions &options,
                   const std::function<bool()> &cancelled,
                   const std::function<void(qsizetype)> &progress)
{
    BatchResult result;
    const ExportWriter writer(options.settings);
    QByteArrayList entries;
    QString soleTitle;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        if (cancelled()) {
            result.cancelled = true;
            result.saved = 0;
            return result;
        }
        readNotes(inputs[i], options, [&](ExportedNote &note) {
            QByteArray entry = writer.entry(note);
            if (note.accepted) {
                ++result.saved;
                soleTitle = noteTitle(note);
            } else {
                result.skipped.append(skipReason(note));
            }
            if (!entry.isEmpty())
                entries.append(std::move(entry));
        });
        progress(i + 1);
    }
    if (writer.format().needsNote() && result.saved == 0) {
        result.skipped.append(noNotesToExportMessage());
        return result;
    }
    QByteArray bytes = writer.opening(entries.size() == 1 ? soleTitle : QString());
    for (qsizetype written = 0; written < entries.size(); ++written)
        bytes += writer.separator(written) + entries[written];
    bytes += writer.closing(entries.size());
    if (const QString failure = saveFile(options.destination, bytes); !failure.isEmpty()) {
        result.skipped.append(failure);
        result.saved = 0;
    }
    return result;
}

} // namespace

BatchResult exportBatch(const QList<ExportInput> &inputs, const BatchOptions &options,
                        const std::function<bool()> &cancelled,
                        const std::function<void(qsizetype done)> &progress)
{
    return options.toFolder ? toFolder(inputs, options, cancelled, progress)
                            : toFile(inputs, options, cancelled, progress);
}

qsizetype countTakenNames(const QList<ExportInput> &inputs, const QString &folder,
                          const QString &extension)
{
    OutputNames names(extension);
    const QDir dir(folder);
    qsizetype taken = 0;
    for (const ExportInput &input : inputs) {
        // Seen as it stands, a link too: one that leads nowhere still holds the name.
        const QFileInfo there(dir.filePath(names.take(input.mirroredPath(), 1).path));
        if (there.exists() || there.isSymLink())
            ++taken;
    }
    return taken;
}
