// SPDX-License-Identifier: GPL-3.0-or-later
#include "quilletapplication.h"

#include "appinfo.h"
#include "messagebox.h"
#include "qverror.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The number reported for a failure that carries none of its own.
constexpr int InternalError = 51;

bool &reported()
{
    static bool value = false;
    return value;
}

template <typename Body, typename OnFailure> auto guarded(Body &&body, OnFailure &&onFailure)
{
    try {
        return body();
    } catch (const QvError &error) {
        onFailure(error.number(), error.description());
    } catch (const std::exception &error) {
        onFailure(InternalError, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        onFailure(InternalError, QStringLiteral("Неизвестная ошибка"));
    }
    return decltype(body())();
}

} // namespace

QuilletApplication::QuilletApplication(int &argc, char **argv) : QApplication(argc, argv) {}

void QuilletApplication::configure()
{
    QCoreApplication::setApplicationName(QStringLiteral("quillet"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tessavo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION_STRING));
    AppInfo::setIdentity(QStringLiteral("Quillet"), QStringLiteral("Tessavo - Quillet"));

    // Qt's own dialogs and buttons speak Russian like the rest of the window, whatever the
    // user's locale.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

bool QuilletApplication::notify(QObject *receiver, QEvent *event)
{
    return guarded([&] { return QApplication::notify(receiver, event); },
                   [this](int number, const QString &description) { failed(number, description); });
}

void QuilletApplication::failed(int number, const QString &description)
{
    reportUnhandledFailure(number, description);
    exit(UnhandledFailureStatus);
}

int QuilletApplication::run(const std::function<int()> &body)
{
    bool failedHere = false;
    const int status = guarded(body, [&failedHere](int number, const QString &description) {
        failedHere = true;
        reportUnhandledFailure(number, description);
    });
    return failedHere || hasFailed() ? UnhandledFailureStatus : status;
}

bool QuilletApplication::hasFailed()
{
    return reported();
}

void QuilletApplication::reportUnhandledFailure(int number, const QString &description)
{
    if (reported())
        return;
    reported() = true;
    try {
        qvMessageBox(
            QStringLiteral("Ошибка выполнения %1:\n\n%2").arg(QString::number(number), description),
            MsgBoxStyle::OkOnly | MsgBoxStyle::Critical);
    } catch (...) {
        // The report itself failed: the program ends all the same.
    }
}
