// SPDX-License-Identifier: GPL-3.0-or-later
#include "htmlnote.h"

#include "linesplitter.h"
#include "notetitle.h"
#include "qvtext.h"
#include "xmltext.h"

namespace {

// The style sheet: plain reading on screen, and on paper a note not split where that can be
// helped.
constexpr char16_t StyleSheet[] = uR"(body {
  font-family: sans-serif; line-height: 1.4; max-width: 48em; margin: 2em auto; padding: 0 1em;
}
article + article { border-top: 1px solid #bbb; margin-top: 2em; padding-top: 1em; }
h1 { font-size: 1.4em; margin: 0 0 0.3em; overflow-wrap: break-word; }
.about { color: #555; font-size: 0.9em; margin: 0 0 1em; }
.text { overflow-wrap: break-word; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 11pt; }
  article { break-inside: avoid-page; }
  h1 { break-after: avoid-page; }
  .about { color: #000; }
}
)";

// `text` as HTML text that is also XML: every character shown as itself.
QString htmlText(QStringView text)
{
    const QString safe = xmlSafeText(text);
    QString out;
    out.reserve(safe.size() + safe.size() / 8);
    for (const QChar c : safe) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

class HtmlFormat : public NoteFormat
{
public:
    QByteArray opening(const QString &soleTitle) const override
    {
        const QString title = soleTitle.isEmpty() ? QStringLiteral("Заметки") : soleTitle;
        return (QStringLiteral("<!DOCTYPE html>\n"
                               "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"ru\" "
                               "xml:lang=\"ru\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>") +
                htmlText(title) + QStringLiteral("</title>\n<style>\n") +
                QString::fromUtf16(StyleSheet) + QStringLiteral("</style>\n</head>\n<body>\n"))
            .toUtf8();
    }

    QByteArray entry(const ExportedNote &note) const override
    {
        if (!note.accepted)
            return {};
        const NoteView &view = note.view;
        const QString body = bodyText(note);
        QString out = QStringLiteral("<article>\n<h1>") + htmlText(noteTitle(body, note.file)) +
                      QStringLiteral("</h1>\n<p class=\"about\">");
        if (!view.txtDateCreated.isEmpty())
            out += QStringLiteral("Создан: ") + htmlText(view.txtDateCreated) +
                   QStringLiteral("<br/>");
        if (!view.txtDateModified.isEmpty())
            out += QStringLiteral("Изменён: ") + htmlText(view.txtDateModified) +
                   QStringLiteral("<br/>");
        out += htmlText(qvGetFileName(note.file)) + QStringLiteral("</p>\n<div class=\"text\">\n");
        LineSplitter lines(body);
        for (QStringView line; lines.next(line);) {
            out += line.isEmpty() ? QStringLiteral("<div><br/></div>\n")
                                  : QStringLiteral("<div>") + visibleBlanks(htmlText(line)) +
                                        QStringLiteral("</div>\n");
        }
        out += QStringLiteral("</div>\n</article>\n");
        return out.toUtf8();
    }

    QByteArray closing(qsizetype) const override { return QByteArrayLiteral("</body>\n</html>\n"); }
    QString extension() const override { return QStringLiteral(".html"); }
    bool needsNote() const override { return true; }
};

} // namespace

std::unique_ptr<NoteFormat> htmlFormat()
{
    return std::make_unique<HtmlFormat>();
}
