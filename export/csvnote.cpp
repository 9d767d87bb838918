// SPDX-License-Identifier: GPL-3.0-or-later
#include "csvnote.h"

#include "notetitle.h"
#include "utctext.h"
#include "wellformedtext.h"

namespace {

// `text` as a quoted field, with the formula guard.
QString quotedField(const QString &text)
{
    const QString safe = wellFormedText(text);
    QString out;
    out.reserve(safe.size() + 4);
    out += u'"';
    if (!safe.isEmpty() && QStringView(u"=+-@\t\r").contains(safe.front()))
        out += u'\'';
    for (const QChar c : safe) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

class CsvFormat : public NoteFormat
{
public:
    QByteArray opening(const QString &) const override
    {
        return QByteArrayLiteral("\xEF\xBB\xBF"
                                 "file,index,title,created_utc,modified_utc,body\r\n");
    }

    QByteArray entry(const ExportedNote &note) const override
    {
        if (!note.accepted)
            return {};
        const QString body = bodyText(note);
        // A file's name is the note's as much as its text is: it gets the guard too.
        return (quotedField(note.file) + u',' + QString::number(note.index) + u',' +
                quotedField(noteTitle(body, note.file)) + u',' + isoUtcText(note.view.createdUtc) +
                u',' + isoUtcText(note.view.modifiedUtc) + u',' + quotedField(body) +
                QStringLiteral("\r\n"))
            .toUtf8();
    }

    bool needsNote() const override { return true; }
};

} // namespace

std::unique_ptr<NoteFormat> csvFormat()
{
    return std::make_unique<CsvFormat>();
}
