// SPDX-License-Identifier: GPL-3.0-or-later
#include "charsetdecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

constexpr char Fallback8Bit[] = "windows-1252";
constexpr char AsciiName[] = "US-ASCII";

// ICU substitutes U+001A instead of U+FFFD for some charsets; the viewer shows U+FFFD always.
void writeReplacementCharacter(const void *, UConverterToUnicodeArgs *args, const char *, int32_t,
                               UConverterCallbackReason reason, UErrorCode *error)
{
    if (reason > UCNV_IRREGULAR) // reset, close or clone: nothing to replace
        return;
    static constexpr UChar Replacement = 0xFFFD;
    *error = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &Replacement, 1, 0, error);
}

// A charset name as ICU takes it: printable ASCII only, so that no byte of the file reaches ICU
// as anything but a name.
bool isPlausibleName(QByteArrayView name)
{
    return !name.isEmpty() && name.size() <= UCNV_MAX_CONVERTER_NAME_LENGTH &&
           std::all_of(name.begin(), name.end(), [](char c) { return c > ' ' && c < 127; });
}

// The usual names of UTF-8, told without asking ICU, which takes longer than a small note.
bool isUtf8Name(QByteArrayView name)
{
    return name.compare("UTF-8", Qt::CaseInsensitive) == 0 ||
           name.compare("UTF8", Qt::CaseInsensitive) == 0;
}

// The octets as text when they are well-formed UTF-8: the same text as qvUTF8ToUNICODE gives.
// Decoded first and checked after, in one pass over the octets: a replacement character in the
// text means a fault in the octets (or one written there), left to the decoder that the other
// values take.
std::optional<QString> wellFormedUtf8(QByteArrayView octets)
{
    QvUtf8Decoder decoder;
    decoder.append(octets);
    QString text = decoder.finish();
    if (text.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    return text;
}

// UTF-8 octets as text: at once when they are well-formed, else by Qt's decoder.
QString utf8ToText(QByteArrayView octets)
{
    if (std::optional<QString> text = wellFormedUtf8(octets))
        return *std::move(text);
    return qvUTF8ToUNICODE(octets);
}

// The usual names of ASCII, whose octets below 0x80 need no converter either.
bool isAsciiName(QByteArrayView name)
{
    return name.compare("US-ASCII", Qt::CaseInsensitive) == 0 ||
           name.compare("ASCII", Qt::CaseInsensitive) == 0;
}

bool isAscii(QByteArrayView octets)
{
    return std::all_of(octets.begin(), octets.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

UConverter *openConverter(const char *name)
{
    UErrorCode error = U_ZERO_ERROR;
    UConverter *converter = ucnv_open(name, &error);
    if (U_FAILURE(error))
        return nullptr;
    ucnv_setToUCallBack(converter, writeReplacementCharacter, nullptr, nullptr, nullptr, &error);
    return converter;
}

} // namespace

void CharsetDecoder::CloseConverter::operator()(UConverter *converter) const
{
    ucnv_close(converter);
}

CharsetDecoder::CharsetDecoder(QByteArrayView charset)
{
    if (charset.isEmpty()) {
        m_mode = Mode::Detect;
        return;
    }
    if (!isPlausibleName(charset) || isUtf8Name(charset))
        return; // UTF-8, or unknown and read as UTF-8
    if (isAsciiName(charset)) {
        m_mode = Mode::Ascii; // a converter only for octets above 0x7F, which it replaces
        return;
    }
    useConverter(charset.toByteArray().constData());
}

void CharsetDecoder::useConverter(const char *name)
{
    m_mode = Mode::Utf8;
    m_converter.reset(openConverter(name));
    if (m_converter == nullptr)
        return;
    UErrorCode error = U_ZERO_ERROR;
    if (std::string_view(ucnv_getName(m_converter.get(), &error)) == "UTF-8")
        m_converter.reset();
    else
        m_mode = Mode::Converter;
}

CharsetDecoder::~CharsetDecoder() = default;

bool CharsetDecoder::readsAsciiAsIs(QByteArrayView charset)
{
    return charset.isEmpty() || !isPlausibleName(charset) || isUtf8Name(charset) ||
           isAsciiName(charset);
}

void CharsetDecoder::convert(QByteArrayView octets, bool flush)
{
    const char *source = octets.data();
    const char *const sourceEnd = source + octets.size();
    for (;;) {
        // One unit an octet covers every charset but a few that write pairs; those grow again.
        const qsizetype wanted = m_length + (sourceEnd - source) + 16;
        if (m_text.size() < wanted)
            m_text.resize(std::max(wanted, m_text.size() * 2));
        auto *const base = reinterpret_cast<UChar *>(m_text.data());
        UChar *target = base + m_length;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, base + m_text.size(), &source, sourceEnd,
                       nullptr, flush, &error);
        m_length = target - base;
        if (error != U_BUFFER_OVERFLOW_ERROR)
            return;
    }
}

void CharsetDecoder::reserve(qsizetype octets)
{
    if (m_mode == Mode::Ascii)
        useConverter(AsciiName);
    if (m_mode == Mode::Utf8)
        m_utf8.reserve(octets);
    else if (m_mode == Mode::Converter)
        m_text.reserve(m_length + octets);
}

void CharsetDecoder::append(QByteArrayView octets)
{
    if (m_mode == Mode::Ascii)
        useConverter(AsciiName);
    switch (m_mode) {
    case Mode::Ascii: // not any more: its converter is open
    case Mode::Utf8:
        m_utf8.append(octets);
        break;
    case Mode::Converter:
        convert(octets, false);
        break;
    case Mode::Detect:
        m_undetected.append(octets);
        break;
    }
}

QString CharsetDecoder::finish()
{
    if (m_mode == Mode::Ascii)
        useConverter(AsciiName);
    if (m_mode == Mode::Detect) {
        const QByteArray octets = std::move(m_undetected);
        return decodeAll(octets);
    }
    if (m_mode == Mode::Utf8)
        return m_utf8.finish();
    convert({}, true);
    m_text.truncate(m_length);
    return std::move(m_text);
}

QString CharsetDecoder::decodeAll(QByteArrayView octets)
{
    if (m_mode == Mode::Ascii) {
        if (isAscii(octets))
            return QString::fromLatin1(octets);
        useConverter(AsciiName);
    }
    if (m_mode == Mode::Detect) {
        if (std::optional<QString> text = wellFormedUtf8(octets))
            return *std::move(text);
        if (octets.isValidUtf8())
            return qvUTF8ToUNICODE(octets);
        m_converter.reset(openConverter(Fallback8Bit));
        if (m_converter == nullptr) // ICU without its data: still show the text
            return qvUTF8ToUNICODE(octets);
        m_mode = Mode::Converter;
    }
    if (m_mode == Mode::Utf8)
        return utf8ToText(octets);
    convert(octets, true);
    m_text.truncate(m_length);
    return std::move(m_text);
}
