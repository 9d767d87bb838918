// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

#include <functional>

// The application object. No exception crosses the event loop: a failure that no procedure
// handles is reported (number, description, under the application's title) and ends the
// program with UnhandledFailureStatus.
class QuilletApplication : public QApplication
{
    Q_OBJECT

public:
    static constexpr int UnhandledFailureStatus = 70;

    QuilletApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Names the program (name, company, version, title) and loads Qt's own texts in Russian, the
    // language of the whole interface, for whichever application object runs.
    static void configure();

    // Runs `body` (start-up and the event loop) and returns its status, or reports a failure
    // that escapes it and returns UnhandledFailureStatus.
    static int run(const std::function<int()> &body);

    // Shows the report of an unhandled failure, once per run.
    static void reportUnhandledFailure(int number, const QString &description);
    // Whether a failure has been reported: the program is ending.
    [[nodiscard]] static bool hasFailed();

private:
    void failed(int number, const QString &description);
};
