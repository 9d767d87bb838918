// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-export: prints notes exactly as the viewer shows them.

#include "noteexport.h"
#include "qvfilename.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace {

enum ExitStatus { AllAccepted = 0, SomeRejected = 1, UsageError = 2, OutputFailed = 1 };

void writeError(const QString &text)
{
    const QByteArray bytes = toTerminalText(text + u'\n');
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// Standard output, every write checked. A reader that closed its end of a pipe (`| head`) has
// all it wanted: the run ends quietly, by SIGPIPE or, where that is ignored, here.
class Output
{
public:
    // Whether everything so far has been written; reports the first failure on standard error.
    bool write(const QByteArray &bytes)
    {
        if (!m_failed && (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) !=
                              size_t(bytes.size()) ||
                          std::fflush(stdout) != 0))
            fail(errno);
        return !m_failed;
    }

    // Hands the last bytes on: a file system may report a failure only when the file is closed.
    bool close()
    {
        if (std::fclose(stdout) != 0 && !m_failed)
            fail(errno);
        return !m_failed;
    }

    [[nodiscard]] bool ok() const { return !m_failed; }

    void fail(int error)
    {
        m_failed = true;
        if (error != EPIPE)
            writeError(QStringLiteral("Cannot write the output: %1")
                           .arg(QString::fromLocal8Bit(std::strerror(error))));
    }

private:
    bool m_failed = false;
};

// The arguments as the system gave them: a file name that is not UTF-8 must name its file again.
QStringList nativeArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(qvFileNameToText(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything opens a file: with standard output closed, that file would take its place.
    if (::fcntl(STDOUT_FILENO, F_GETFD) == -1) {
        Output().fail(errno);
        return OutputFailed;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION_STRING));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints vNote files (.vnt) as the Quillet viewer shows them."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("Output format: text or json."),
                                          QStringLiteral("text|json"), QStringLiteral("text"));
    const QCommandLineOption shortDateOption(
        QStringLiteral("short-date"), QStringLiteral("Show stamps as time, then the short date."));
    parser.addOption(formatOption);
    parser.addOption(shortDateOption);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Note files to print."),
                                 QStringLiteral("FILE..."));

    if (!parser.parse(nativeArguments(argc, argv))) {
        writeError(parser.errorText());
        return UsageError;
    }
    Output output;
    if (parser.isSet(helpOption) || parser.isSet(versionOption)) {
        const QString text = parser.isSet(helpOption)
                                 ? parser.helpText()
                                 : QCoreApplication::applicationName() + u' ' +
                                       QCoreApplication::applicationVersion() + u'\n';
        return output.write(text.toLocal8Bit()) && output.close() ? AllAccepted : OutputFailed;
    }

    const QString format = parser.value(formatOption);
    if (format != u"text" && format != u"json") {
        writeError(QStringLiteral("Unknown format \"%1\": use text or json.").arg(format));
        return UsageError;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        writeError(QStringLiteral("No note file given. See --help."));
        return UsageError;
    }

    DateDisplay display;
    display.shortDate = parser.isSet(shortDateOption);

    // Each note is written as soon as it is done, and let go.
    ExportWriter writer(format == u"json" ? ExportFormat::Json : ExportFormat::Text);
    bool allAccepted = true;
    output.write(writer.opening());
    for (qsizetype i = 0; i < files.size() && output.ok(); ++i) {
        ExportedNote note = exportNote(files[i], display);
        const QByteArray part = writer.next(note);
        if (!note.readFailure.isEmpty())
            writeError(QStringLiteral("%1: %2").arg(files[i], note.readFailure));
        else if (!note.error.isEmpty())
            writeError(QStringLiteral("%1: %2").arg(files[i], note.error));
        allAccepted = allAccepted && note.accepted;
        output.write(part);
    }
    if (!output.write(writer.closing()) || !output.close())
        return OutputFailed;
    return allAccepted ? AllAccepted : SomeRejected;
}
