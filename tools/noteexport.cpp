#include "noteexport.h"

#include "messagesink.h"
#include "parsenote.h"
#include "qverror.h"
#include "textfilereader.h"

namespace {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { text = message; }
    QString text;
};

// Appends `text` as a JSON string. Written by hand rather than through QJsonDocument so that the
// keys keep their documented order and a body of many megabytes is copied only once or twice.
void appendJsonString(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    out.reserve(out.size() + utf8.size() + 2);
    out.append('"');
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\')
            continue;
        out.append(utf8.constData() + runStart, i - runStart);
        runStart = i + 1;
        switch (byte) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            out.append(QByteArrayLiteral("\\u00") +
                       QByteArray::number(byte, 16).rightJustified(2, '0'));
        }
    }
    out.append(utf8.constData() + runStart, utf8.size() - runStart);
    out.append('"');
}

void appendJsonMember(QByteArray &out, const char *key, const QString &value, bool last = false)
{
    out.append("    \"").append(key).append("\": ");
    appendJsonString(out, value);
    out.append(last ? "\n" : ",\n");
}

} // namespace

QString readFailureMessage(const QString &path)
{
    return path + QStringLiteral("\n\nНе удалось прочесть файл.");
}

ExportedNote exportNote(const QString &path, const DateDisplay &display)
{
    ExportedNote note;
    note.file = path;
    QString text;
    try {
        text = TextFileReader::shared().ReadAllText(path);
    } catch (const QvError &failure) {
        note.error = readFailureMessage(path);
        note.readFailure = failure.description();
        return note;
    }
    RecordingSink messages;
    note.accepted = ParseNote(text, note.view, display, messages);
    if (note.accepted)
        note.view.title = NoteView::titleFor(path);
    else
        note.view = NoteView(); // a rejected note leaves the view empty
    note.error = messages.text;
    return note;
}

QByteArray toJson(const QList<ExportedNote> &notes)
{
    QByteArray out("[");
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const ExportedNote &note = notes[i];
        out.append(i == 0 ? "\n  {\n" : ",\n  {\n");
        appendJsonMember(out, "file", note.file);
        out.append("    \"accepted\": ").append(note.accepted ? "true" : "false").append(",\n");
        appendJsonMember(out, "title", note.view.title);
        appendJsonMember(out, "version", note.view.txtVersion);
        appendJsonMember(out, "created", note.view.txtDateCreated);
        appendJsonMember(out, "modified", note.view.txtDateModified);
        appendJsonMember(out, "body", note.view.txtBody);
        appendJsonMember(out, "error", note.error, true);
        out.append("  }");
    }
    out.append(notes.isEmpty() ? "]\n" : "\n]\n");
    return out;
}

QByteArray toText(const QList<ExportedNote> &notes)
{
    QString out;
    for (const ExportedNote &note : notes) {
        if (!out.isEmpty())
            out += u'\n';
        out += QStringLiteral("== %1 ==\n").arg(note.file);
        if (!note.accepted) {
            out += note.error + u'\n';
            continue;
        }
        out += QStringLiteral("%1\nВерсия: %2\nСоздан: %3\nИзменён: %4\n")
                   .arg(note.view.title, note.view.txtVersion, note.view.txtDateCreated,
                        note.view.txtDateModified);
        // The body's own CR LF line ends, as a terminal or a text file on this system expects.
        QString body = note.view.txtBody;
        body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        out += body;
        if (!body.isEmpty() && !body.endsWith(u'\n'))
            out += u'\n';
    }
    return out.toUtf8();
}
