#include "settingsstore.h"

#include "appinfo.h"
#include "qverror.h"

#include <QSettings>
#include <QWidget>

#include <memory>

namespace {

// The number of a failure to write a file.
constexpr int FileAccessError = 75;

std::unique_ptr<QSettings> openSettings(const AppInfo &app)
{
    const QString company = app.companyName.isEmpty() ? app.productName : app.companyName;
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, company,
                                       app.productName);
}

QString keyOf(const QString &section, const QString &name)
{
    if (name.isEmpty())
        throw QvError(QvInvalidArgument, QStringLiteral("Пустое имя параметра настроек"));
    return section.isEmpty() ? name : section + u'/' + name;
}

void checkKind(int kind)
{
    if (kind != SettingsStore::Text && kind != SettingsStore::Boolean)
        throw QvError(QvInvalidArgument, QStringLiteral("Неизвестный вид параметра: %1").arg(kind));
}

void store(QSettings &settings, const QString &key, const QVariant &value)
{
    settings.setValue(key, value);
    settings.sync();
    // A format error only says that the old file was damaged; it has been rewritten whole.
    if (settings.status() == QSettings::AccessError)
        throw QvError(
            FileAccessError,
            QStringLiteral("Не удалось сохранить настройки в файл %1").arg(settings.fileName()));
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

} // namespace

QVariant SettingsStore::convert(const QVariant &stored, int kind)
{
    checkKind(kind);
    return kind == Boolean ? toBoolean(stored) : toText(stored);
}

QVariant SettingsStore::ReadValue(const QString &section, const QString &name, int kind,
                                  const AppInfo &app, const QVariant &defaultValue) const
{
    const QString key = keyOf(section, name);
    checkKind(kind);
    const QVariant value = convert(openSettings(app)->value(key), kind);
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
    store(*openSettings(app), key, converted);
}

void SettingsStore::SaveWindowPlacement(const QWidget *window, const QString &section,
                                        const QString &name, const AppInfo &app)
{
    if (window == nullptr)
        throw QvError(QvInvalidArgument, QStringLiteral("SaveWindowPlacement: окно не задано"));
    store(*openSettings(app), keyOf(section, name), window->saveGeometry());
}

void SettingsStore::RestoreWindowPlacement(QWidget *window, const QString &section,
                                           const QString &name, const AppInfo &app,
                                           QSize defaultSize) const
{
    if (window == nullptr)
        throw QvError(QvInvalidArgument, QStringLiteral("RestoreWindowPlacement: окно не задано"));
    const QVariant stored = openSettings(app)->value(keyOf(section, name));
    if (stored.typeId() == QMetaType::QByteArray && window->restoreGeometry(stored.toByteArray()))
        return;
    window->resize(defaultSize);
}

QString SettingsStore::fileName(const AppInfo &app)
{
    return openSettings(app)->fileName();
}
