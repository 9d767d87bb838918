// SPDX-License-Identifier: GPL-3.0-or-later
#include "appfixture.h"

#include "appinfo.h"
#include "quilletapplication.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QTimer>

AppFixture::AppFixture()
{
    const QString config = m_dir.filePath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    qunsetenv("QUILLET_IN_IDE");
    QuilletApplication::configure();
}

QString AppFixture::settingsFile()
{
    return SettingsStore::fileName(AppInfo::current());
}

QString AppFixture::writeFile(const QString &name, const QByteArray &content) const
{
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(content) != content.size())
        qFatal("Cannot write %s", qPrintable(path));
    return path;
}

std::unique_ptr<frmMain> AppFixture::showWindow(const QString &commandLine)
{
    auto window = std::make_unique<frmMain>();
    window->setCommandLineSource([commandLine] { return commandLine; });
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()) ||
        !QTest::qWaitFor([&] { return !window->tmrDoIt->isActive(); }))
        qWarning("The window did not come up");
    return window;
}

QByteArray sampleNote(const QByteArray &version)
{
    return "BEGIN:VNOTE\r\nVERSION:" + version +
           "\r\nDCREATED:20130403T001940\r\nLAST-MODIFIED:20130705T183000\r\n"
           "BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n"
           "=D0=9F=D1=80=D0=B8=D0=B2=D0=B5=D1=82\r\nEND:VNOTE\r\n";
}

QByteArray noteWithBody(const QString &body)
{
    const QByteArray octets = body.toUtf8();
    // At most 25 escapes a line, each line but the last ending in a soft break.
    constexpr qsizetype EscapesPerLine = 25;
    QByteArray escaped;
    escaped.reserve(octets.size() * 3 + octets.size() / EscapesPerLine * 3 + 3);
    for (qsizetype i = 0; i < octets.size(); ++i) {
        if (i > 0 && i % EscapesPerLine == 0)
            escaped += "=\r\n";
        escaped += '=' + QByteArray::number(quint8(octets[i]), 16).rightJustified(2, '0').toUpper();
    }
    return "BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n" +
           escaped + "\r\nEND:VNOTE\r\n";
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
