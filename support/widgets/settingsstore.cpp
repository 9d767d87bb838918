// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsstore.h"

#include "appinfo.h"
#include "qverror.h"
#include "qvwindow.h"

#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include <limits>
#include <memory>
#include <sys/stat.h>

namespace {

// The number of a failure to write a file.
constexpr int FileAccessError = 75;

// Where QSettings keeps the user's INI file for this program.
QString settingsPath(const AppInfo &app)
{
    const QString company = app.companyName.isEmpty() ? app.productName : app.companyName;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           company + u'/' + app.productName + QStringLiteral(".ini");
}

// QSettings reads its file as soon as it is made, and reading a FIFO waits for a writer that
// never comes; so anything but a regular file in that place is never handed to it.
bool isUsable(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode);
}

// The settings, or nothing when the file's place holds something that is not a file.
std::unique_ptr<QSettings> openSettings(const AppInfo &app)
{
    const QString path = settingsPath(app);
    if (!isUsable(path))
        return nullptr;
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QVariant readSetting(const AppInfo &app, const QString &key)
{
    const auto settings = openSettings(app);
    return settings ? settings->value(key) : QVariant();
}

QString keyOf(const QString &section, const QString &name)
{
    if (name.isEmpty())
        throw QvError(QvInvalidArgument, QStringLiteral("Пустое имя параметра настроек"));
    return section.isEmpty() ? name : section + u'/' + name;
}

void checkKind(int kind)
{
    if (kind != SettingsStore::Text && kind != SettingsStore::Boolean &&
        kind != SettingsStore::Number && kind != SettingsStore::TextList)
        throw QvError(QvInvalidArgument, QStringLiteral("Неизвестный вид параметра: %1").arg(kind));
}

// Why the settings cannot be written to `path`, as the system words it: what stands in the
// file's place, or what a trial write beside it meets (a folder that cannot be made or written,
// a full disk). QSettings itself only says that the write failed.
QString writeFailureReason(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode)
                   ? QStringLiteral("это папка, а не файл")
                   : QStringLiteral("это не обычный файл (устройство, канал или сокет)");
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return probe.errorString();
    // Enough to need a block of the disk.
    const QByteArray block(4096, '\n');
    if (probe.write(block) != block.size() || !probe.flush())
        return probe.errorString();
    probe.cancelWriting();
    return QStringLiteral("причина неизвестна");
}

void store(const AppInfo &app, const QString &key, const QVariant &value)
{
    const auto settings = openSettings(app);
    // A format error only says that the old file was damaged; it has been rewritten whole.
    if (settings) {
        settings->setValue(key, value);
        settings->sync();
    }
    if (!settings || settings->status() == QSettings::AccessError) {
        const QString path = settingsPath(app);
        throw QvError(FileAccessError,
                      QStringLiteral("Не удалось сохранить настройки в файл %1: %2")
                          .arg(path, writeFailureReason(path)));
    }
}

QVariant toBoolean(const QVariant &stored)
{
    switch (stored.typeId()) {
    case QMetaType::Bool:
        return stored;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return stored.toLongLong() != 0;
    case QMetaType::QString: {
        const QString text = stored.toString().trimmed();
        if (text.compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"false", Qt::CaseInsensitive) == 0)
            return false;
        bool isNumber = false;
        const qlonglong number = text.toLongLong(&isNumber);
        if (isNumber)
            return number != 0;
        return {};
    }
    default:
        return {};
    }
}

QVariant toText(const QVariant &stored)
{
    switch (stored.typeId()) {
    case QMetaType::QString:
        return stored;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return stored.toString();
    default:
        return {};
    }
}

// A whole number; text that holds one is read as it.
QVariant toNumber(const QVariant &stored)
{
    bool isNumber = false;
    const qlonglong number = stored.typeId() == QMetaType::QString
                                 ? stored.toString().trimmed().toLongLong(&isNumber)
                                 : stored.toLongLong(&isNumber);
    if (!isNumber || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max())
        return {};
    return int(number);
}

// A list of texts; a single text is a list of one.
QVariant toTextList(const QVariant &stored)
{
    switch (stored.typeId()) {
    case QMetaType::QStringList:
        return stored;
    case QMetaType::QString:
        return QStringList{stored.toString()};
    case QMetaType::QVariantList: {
        QStringList texts;
        for (const QVariant &item : stored.toList()) {
            const QVariant text = toText(item);
            if (!text.isValid())
                return {};
            texts.append(text.toString());
        }
        return texts;
    }
    default:
        return {};
    }
}

} // namespace

QVariant SettingsStore::convert(const QVariant &stored, int kind)
{
    checkKind(kind);
    switch (kind) {
    case Boolean:
        return toBoolean(stored);
    case Number:
        return toNumber(stored);
    case TextList:
        return toTextList(stored);
    default:
        return toText(stored);
    }
}

QVariant SettingsStore::ReadValue(const QString &section, const QString &name, int kind,
                                  const AppInfo &app, const QVariant &defaultValue) const
{
    const QString key = keyOf(section, name);
    checkKind(kind);
    const QVariant value = convert(readSetting(app, key), kind);
    return value.isValid() ? value : defaultValue;
}

void SettingsStore::WriteValue(const QString &section, const QString &name, int kind,
                               const QVariant &value, const AppInfo &app)
{
    const QString key = keyOf(section, name);
    const QVariant converted = convert(value, kind);
    if (!converted.isValid())
        throw QvError(QvInvalidArgument,
                      QStringLiteral("Значение параметра \"%1\" не подходит к его виду").arg(name));
    store(app, key, converted);
}

void SettingsStore::SaveWindowPlacement(const QWidget *window, const QString &section,
                                        const QString &name, const AppInfo &app)
{
    if (window == nullptr)
        throw QvError(QvInvalidArgument, QStringLiteral("SaveWindowPlacement: окно не задано"));
    store(app, keyOf(section, name), window->saveGeometry());
}

void SettingsStore::RestoreWindowPlacement(QWidget *window, const QString &section,
                                           const QString &name, const AppInfo &app,
                                           QSize defaultSize) const
{
    if (window == nullptr)
        throw QvError(QvInvalidArgument, QStringLiteral("RestoreWindowPlacement: окно не задано"));
    const QVariant stored = readSetting(app, keyOf(section, name));
    if (stored.typeId() == QMetaType::QByteArray && window->restoreGeometry(stored.toByteArray())) {
        // Saved on a larger screen, or damaged: never larger than the screen, nor off it.
        qvFitOnScreen(window, defaultSize);
        return;
    }
    window->resize(defaultSize);
}

QString SettingsStore::fileName(const AppInfo &app)
{
    return settingsPath(app);
}
