// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendarnotes.h"

#include "contentline.h"
#include "qvtext.h"
#include "utcstamp.h"
#include "valuedecoder.h"

#include <QTimeZone>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

enum class Kind { Journal, Event, Todo };

std::optional<Kind> memoKind(QByteArrayView name)
{
    if (equalsIgnoringCase(name, "VJOURNAL"))
        return Kind::Journal;
    if (equalsIgnoringCase(name, "VEVENT"))
        return Kind::Event;
    if (equalsIgnoringCase(name, "VTODO"))
        return Kind::Todo;
    return std::nullopt;
}

// The component that a BEGIN or END line names: its value's first line, trimmed.
QByteArrayView componentName(const ContentLine &line)
{
    ValueCursor value = line.value;
    QByteArrayView name;
    value.nextPiece(name);
    return trimBlanks(name);
}

QString decoded(ContentLine line)
{
    return DecodeValue(line.value, line.charset);
}

// What one VJOURNAL, VEVENT or VTODO holds of its own (not of a VALARM inside it). The first
// DESCRIPTION, SUMMARY and X-DCM-TYPE count; of the times, the last.
struct Component
{
    Kind kind = Kind::Journal;
    std::optional<QString> type; // X-DCM-TYPE, trimmed
    std::optional<QString> description;
    std::optional<ContentLine> descriptionLine; // until it is known to be a memo's
    std::optional<ContentLine> summary;
    std::optional<ContentLine> created;
    std::optional<ContentLine> start;
    std::optional<ContentLine> modified;
    std::optional<ContentLine> stamp;

    [[nodiscard]] bool isMemo() const
    {
        return kind == Kind::Journal ||
               (type && !type->isEmpty() && type->compare(u"EVENT", Qt::CaseInsensitive) != 0);
    }
};

// iCalendar's text escapes undone: "\n" or "\N" a line break, "\,", "\;" and "\\" the character.
// Any other backslash stays, as it is no escape.
QString unescapedText(const QString &text)
{
    if (!text.contains(u'\\'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar escaped = text[i + 1];
            if (escaped == u'n' || escaped == u'N') {
                out += u'\n';
                ++i;
                continue;
            }
            if (escaped == u',' || escaped == u';' || escaped == u'\\') {
                out += escaped;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// vCalendar's TZ offset: "+09:00", "-0530", "+9"; none for anything else.
std::optional<int> offsetSeconds(QStringView text)
{
    text = qvTrimEx(text);
    if (text.size() < 2 || (text[0] != u'+' && text[0] != u'-'))
        return std::nullopt;
    const int sign = text[0] == u'-' ? -1 : 1;
    QString digits = text.sliced(1).toString();
    digits.remove(u':');
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (!ok || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const int hours = digits.size() <= 2 ? number : number / 100;
    const int minutes = digits.size() <= 2 ? 0 : number % 100;
    if (hours > 14 || minutes > 59)
        return std::nullopt;
    return sign * (hours * 3600 + minutes * 60);
}

// A date alone, yyyymmdd or yyyy-mm-dd; invalid for anything else.
QDate dateOnly(const QString &text)
{
    QString digits = text;
    if (digits.size() == 10 && digits[4] == u'-' && digits[7] == u'-')
        digits.remove(u'-');
    if (digits.size() != 8 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return {};
    const QDate date(digits.first(4).toInt(), digits.sliced(4, 2).toInt(),
                     digits.sliced(6, 2).toInt());
    return date.year() >= 1601 ? date : QDate();
}

} // namespace

// The components of a calendar file in order, memo by memo. Without a display, memos are only
// told apart, for counting: nothing but their X-DCM-TYPE is decoded.
class CalendarWalk
{
public:
    CalendarWalk(QByteArrayView bytes, const DateDisplay *display)
        : m_reader(bytes, DetectLineEnds(bytes), Framing::Calendar), m_display(display)
    {
    }

    // Moves to the next memo; with a display, `note` gets it. False once there is none.
    bool next(NoteView &note)
    {
        for (ContentLine line; m_reader.next(line);) {
            // Components begin and end on component lines only, which no value runs on into.
            if (line.component && line.isNamed("BEGIN")) {
                const QByteArrayView name = componentName(line);
                if (const std::optional<Kind> kind = memoKind(name)) {
                    const bool memo = close(note);
                    m_open.emplace().kind = *kind;
                    if (memo)
                        return true;
                } else if (equalsIgnoringCase(name, "VCALENDAR")) {
                    const bool memo = close(note);
                    m_version.clear();
                    m_offset.reset();
                    if (memo)
                        return true;
                } else {
                    ++m_depth;
                }
            } else if (line.component && line.isNamed("END")) {
                const QByteArrayView name = componentName(line);
                if (memoKind(name) || equalsIgnoringCase(name, "VCALENDAR")) {
                    if (close(note))
                        return true;
                } else if (m_depth > 0) {
                    --m_depth;
                }
            } else if (m_depth == 0) {
                if (m_open)
                    take(line);
                else
                    takeCalendar(line);
            }
            if (!decoding() && !countNeedsLines())
                m_reader.skipToComponentLine();
        }
        return close(note);
    }

    [[nodiscard]] qsizetype skipped() const { return m_skipped; }

private:
    [[nodiscard]] bool decoding() const { return m_display != nullptr; }
    // Whether, when counting, the lines up to the next component line may still tell whether the
    // open component is a memo: nothing else in them is looked at.
    [[nodiscard]] bool countNeedsLines() const
    {
        return m_open && m_depth == 0 && !m_open->type && m_open->kind != Kind::Journal;
    }

    void take(const ContentLine &line)
    {
        Component &open = *m_open;
        if (line.isNamed("X-DCM-TYPE")) {
            if (!open.type)
                open.type = qvTrimEx(decoded(line));
            return;
        }
        if (!decoding())
            return;
        if (line.isNamed("DESCRIPTION")) {
            if (open.description || open.descriptionLine)
                return;
            // Read in place when it is known to be a memo's, so that it is gone over once.
            if (open.isMemo())
                open.description = DecodeValue(m_reader.currentValue(), line.charset);
            else
                open.descriptionLine = line;
        } else if (line.isNamed("SUMMARY")) {
            if (!open.summary)
                open.summary = line;
        } else if (line.isNamed("DCREATED") || line.isNamed("CREATED")) {
            open.created = line;
        } else if (line.isNamed("DTSTART")) {
            open.start = line;
        } else if (line.isNamed("LAST-MODIFIED")) {
            open.modified = line;
        } else if (line.isNamed("DTSTAMP")) {
            open.stamp = line;
        }
    }

    void takeCalendar(const ContentLine &line)
    {
        if (!decoding())
            return;
        if (line.isNamed("VERSION"))
            m_version = qvTrimEx(decoded(line)).toUpper();
        else if (line.isNamed("TZ"))
            m_offset = offsetSeconds(decoded(line));
    }

    // Ends the open component, if any; true when it was a memo, which `note` then holds.
    bool close(NoteView &note)
    {
        m_depth = 0;
        if (!m_open)
            return false;
        Component component = *std::move(m_open);
        m_open.reset();
        if (!component.isMemo()) {
            ++m_skipped;
            return false;
        }
        if (decoding())
            note = view(std::move(component));
        return true;
    }

    NoteView view(Component component)
    {
        const bool escaped = m_version == u"2.0";
        const auto text = [escaped](const QString &value) {
            return escaped ? unescapedText(value) : value;
        };
        NoteView view;
        view.txtVersion = m_version;
        view.kind =
            component.kind == Kind::Journal && (!component.type || component.type->isEmpty())
                ? QStringLiteral("JOURNAL")
                : component.type.value_or(QString());
        if (component.summary)
            view.summary = text(decoded(*component.summary));
        if (component.description)
            view.txtBody = text(*component.description);
        else if (component.descriptionLine)
            view.txtBody = text(decoded(*component.descriptionLine));
        else
            view.txtBody = view.summary;
        const std::optional<ContentLine> &created =
            component.created || component.kind != Kind::Journal ? component.created
                                                                 : component.start;
        if (created) {
            UtcStamp stamp = readStamp(*created);
            view.txtDateCreated = std::move(stamp.shown);
            view.createdUtc = std::move(stamp.moment);
        }
        if (const std::optional<ContentLine> &modified =
                component.modified ? component.modified : component.stamp) {
            UtcStamp stamp = readStamp(*modified);
            view.txtDateModified = std::move(stamp.shown);
            view.modifiedUtc = std::move(stamp.moment);
        }
        return view;
    }

    UtcStamp readStamp(const ContentLine &line)
    {
        const QString text = qvTrimEx(decoded(line)).toUpper();
        QDateTime moment;
        if (text.endsWith(u'Z')) {
            moment = UtcStampMoment(text);
        } else if (const QDateTime floating = StampMoment(CompactStampForm(text));
                   floating.isValid()) {
            moment = utcOf(floating.date(), floating.time(), line);
        } else if (const QDate date = dateOnly(text); date.isValid()) {
            moment = utcOf(date, QTime(0, 0), line);
        }
        QString shown = FormatMoment(moment, *m_display);
        return {shown.isEmpty() ? text : std::move(shown), moment};
    }

    // The UTC moment of a time without a trailing Z.
    QDateTime utcOf(QDate date, QTime time, const ContentLine &line)
    {
        // At the calendar's offset, or UTC: a zone object for it costs more than the rest of the
        // memo's stamp.
        if (line.tzid.isEmpty())
            return QDateTime(date, time, Qt::UTC).addSecs(-m_offset.value_or(0));
        return QDateTime(date, time, zoneOf(line)).toUTC();
    }

    // The zone a TZID parameter names.
    QTimeZone zoneOf(const ContentLine &line)
    {
        // Most files name one zone throughout: the last one looked up is kept.
        if (line.tzid != m_tzidName) {
            m_tzidName = line.tzid.toByteArray();
            m_tzid = zoneNamed(m_tzidName);
        }
        return m_tzid;
    }

    static QTimeZone zoneNamed(QByteArray name)
    {
        if (name.startsWith('/')) // a globally unique name, as RFC 5545 allows
            name.remove(0, 1);
        if (QTimeZone zone(name); zone.isValid())
            return zone;
        const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(name);
        if (QTimeZone zone(iana); !iana.isEmpty() && zone.isValid())
            return zone;
        return QTimeZone::utc();
    }

    ContentLineReader m_reader;
    const DateDisplay *m_display;
    std::optional<Component> m_open;
    int m_depth = 0; // of the components open inside the memo's, or inside the calendar
    qsizetype m_skipped = 0;
    QString m_version;           // the calendar's VERSION
    std::optional<int> m_offset; // the calendar's TZ
    QByteArray m_tzidName;
    QTimeZone m_tzid;
};

bool isCalendarFile(QByteArrayView bytes)
{
    const auto isBlank = [](char c) {
        return isBlankOrTab(c) || c == '\r';
    };
    ByteLines lines(bytes, DetectLineEnds(bytes));
    for (QByteArrayView line; lines.next(line);) {
        while (!line.isEmpty() && isBlank(line.front()))
            line = line.sliced(1);
        while (!line.isEmpty() && isBlank(line.back()))
            line.chop(1);
        if (!line.isEmpty())
            return equalsIgnoringCase(line, "BEGIN:VCALENDAR");
    }
    return false;
}

CalendarNotes::CalendarNotes(QByteArrayView bytes, const DateDisplay &display)
    : m_bytes(bytes), m_display(display)
{
}

CalendarNotes::~CalendarNotes() = default;

void CalendarNotes::countAll()
{
    CalendarWalk walk(m_bytes, nullptr);
    qsizetype count = 0;
    for (NoteView unused; walk.next(unused);)
        ++count;
    m_count = count;
    m_skipped = walk.skipped();
}

qsizetype CalendarNotes::count()
{
    if (!m_count)
        countAll();
    return *m_count;
}

qsizetype CalendarNotes::skipped()
{
    if (!m_count)
        countAll();
    return m_skipped;
}

bool CalendarNotes::next(NoteView &note)
{
    if (!m_walk)
        m_walk = std::make_unique<CalendarWalk>(m_bytes, &m_display);
    return m_walk->next(note);
}
