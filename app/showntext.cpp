// SPDX-License-Identifier: GPL-3.0-or-later
#include "showntext.h"

namespace {

// Where the Unicode block of control pictures shows U+0000..U+001F, and DEL.
constexpr char16_t ControlPictures = 0x2400;
constexpr char16_t DeletePicture = 0x2421;

} // namespace

QString shownText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x20)
            shown += QChar(char16_t(ControlPictures + c.unicode()));
        else if (c.unicode() == 0x7F)
            shown += QChar(DeletePicture);
        else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            shown += text.sliced(i++, 2);
        else if (c.isSurrogate())
            shown += QChar(QChar::ReplacementCharacter);
        else
            shown += c;
    }
    return shown;
}
