// SPDX-License-Identifier: GPL-3.0-or-later
#include "textformat.h"

#include "terminaltext.h"

namespace {

class TextFormat : public NoteFormat
{
public:
    QByteArray entry(const ExportedNote &note) const override
    {
        QString out = QStringLiteral("== %1 ==\n").arg(note.file);
        if (note.count > 1)
            out.insert(out.size() - 4, QStringLiteral(" (%1/%2)").arg(note.index).arg(note.count));
        if (!note.accepted) {
            out += note.error + u'\n';
            return toTerminalText(out);
        }
        out += QStringLiteral("%1\nВерсия: %2\nСоздан: %3\nИзменён: %4\n")
                   .arg(note.view.title, note.view.txtVersion, note.view.txtDateCreated,
                        note.view.txtDateModified);
        // The body's own CR LF line ends, as a terminal or a text file on this system expects.
        QString body = bodyText(note);
        body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        out += body;
        if (!body.isEmpty() && !body.endsWith(u'\n'))
            out += u'\n';
        return toTerminalText(out);
    }

    QByteArray separator(qsizetype written) const override
    {
        return written == 0 ? QByteArray() : QByteArrayLiteral("\n");
    }

    QByteArray document(const ExportedNote &note) const override { return entry(note); }
    QString extension() const override { return QStringLiteral(".txt"); }
};

} // namespace

std::unique_ptr<NoteFormat> textFormat()
{
    return std::make_unique<TextFormat>();
}
