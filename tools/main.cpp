// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-export: prints notes exactly as the viewer shows them, or exports them for other notes
// applications.

#include "exportrun.h"
#include "qvfilename.h"
#include "standardoutput.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cerrno>
#include <fcntl.h>

namespace {

// The arguments as the system gave them: a file name that is not UTF-8 must name its file again.
QStringList nativeArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(qvFileNameToText(argv[i]));
    return arguments;
}

// For tests, QUILLET_COMMIT=link or create: the way a new file takes its name in an output folder
// where a file system refuses those before it.
NameCommit commitFromEnvironment()
{
    const QByteArray way = qgetenv("QUILLET_COMMIT");
    return way == "link"     ? NameCommit::Link
           : way == "create" ? NameCommit::Create
                             : NameCommit::Rename;
}

int usageError(const QString &message)
{
    writeError(message);
    return UsageError;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything opens a file: with standard output closed, that file would take its place.
    if (::fcntl(STDOUT_FILENO, F_GETFD) == -1) {
        StandardOutput().fail(errno);
        return OutputFailed;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION_STRING));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints vNote files (.vnt) as the Quillet viewer shows them, or exports them."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption formatOption(
        QStringLiteral("format"),
        QStringLiteral("Output format: text, json, jsonl, markdown, enex, html or csv."),
        exportFormatNames(u"|"), QStringLiteral("text"));
    const QCommandLineOption shortDateOption(
        QStringLiteral("short-date"), QStringLiteral("Show stamps as time, then the short date."));
    const QCommandLineOption recursiveOption(
        {QStringLiteral("r"), QStringLiteral("recursive")},
        QStringLiteral("Read the notes in the subfolders of a folder too."));
    const QCommandLineOption outputDirOption(
        QStringLiteral("output-dir"),
        QStringLiteral(
            "Write each note to a file of its own in DIR (text, json, markdown or html)."),
        QStringLiteral("DIR"));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        QStringLiteral("Replace files that are already in the output folder."));
    const QCommandLineOption lenientOption(
        QStringLiteral("lenient"),
        QStringLiteral("Read every note layout that phones write, each note of a file apart."));
    parser.addOptions({formatOption, shortDateOption, recursiveOption, outputDirOption, forceOption,
                       lenientOption});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Note files to print, or folders of them."),
                                 QStringLiteral("FILE..."));

    if (!parser.parse(nativeArguments(argc, argv)))
        return usageError(parser.errorText());
    StandardOutput output;
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all")) ||
        parser.isSet(versionOption)) {
        const QString text = parser.isSet(versionOption) && !parser.isSet(helpOption) &&
                                     !parser.isSet(QStringLiteral("help-all"))
                                 ? QCoreApplication::applicationName() + u' ' +
                                       QCoreApplication::applicationVersion() + u'\n'
                                 : parser.helpText();
        return output.write(text.toLocal8Bit()) && output.close() ? AllAccepted : OutputFailed;
    }

    const QString formatName = parser.value(formatOption);
    const std::optional<ExportFormat> format = exportFormatNamed(formatName);
    if (!format)
        return usageError(QStringLiteral("Unknown format \"%1\": use %2.")
                              .arg(formatName, exportFormatNames(u", ")));
    RunOptions options;
    options.outputDir = parser.value(outputDirOption);
    if (parser.isSet(outputDirOption) && options.outputDir.isEmpty())
        return usageError(QStringLiteral("--output-dir needs a folder."));
    if (!options.outputDir.isEmpty() && exportFileExtension(*format).isEmpty())
        return usageError(QStringLiteral("--format %1 writes one stream: it takes no --output-dir.")
                              .arg(formatName));
    options.force = parser.isSet(forceOption);
    options.commit = commitFromEnvironment();
    if (options.force && options.outputDir.isEmpty())
        return usageError(QStringLiteral("--force goes with --output-dir."));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usageError(QStringLiteral("No note file given. See --help."));

    options.settings.format = *format;
    options.settings.lenient = parser.isSet(lenientOption);
    options.settings.exportDate = QDateTime::currentDateTimeUtc();
    options.settings.application = QStringLiteral("Quillet");
    options.settings.version = QCoreApplication::applicationVersion();
    options.display.shortDate = parser.isSet(shortDateOption);
    options.recursive = parser.isSet(recursiveOption);
    return runExport(files, options, output);
}
