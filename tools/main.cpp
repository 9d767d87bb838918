// quillet-export: prints notes exactly as the viewer shows them.

#include "noteexport.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

enum ExitStatus { AllAccepted = 0, SomeRejected = 1, UsageError = 2 };

void writeOut(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void writeError(const QString &text)
{
    writeOut(stderr, (text + u'\n').toLocal8Bit());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION_STRING));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints vNote files (.vnt) as the Quillet viewer shows them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("Output format: text or json."),
                                          QStringLiteral("text|json"), QStringLiteral("text"));
    const QCommandLineOption shortDateOption(
        QStringLiteral("short-date"), QStringLiteral("Show stamps as time, then the short date."));
    parser.addOption(formatOption);
    parser.addOption(shortDateOption);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Note files to print."),
                                 QStringLiteral("FILE..."));

    if (!parser.parse(QCoreApplication::arguments())) {
        writeError(parser.errorText());
        return UsageError;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(AllAccepted);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

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

    QList<ExportedNote> notes;
    notes.reserve(files.size());
    bool allAccepted = true;
    for (const QString &file : files) {
        ExportedNote note = exportNote(file, display);
        if (!note.readFailure.isEmpty())
            writeError(QStringLiteral("%1: %2").arg(file, note.readFailure));
        else if (!note.error.isEmpty())
            writeError(QStringLiteral("%1: %2").arg(file, note.error));
        allAccepted = allAccepted && note.accepted;
        notes.append(std::move(note));
    }

    writeOut(stdout, format == u"json" ? toJson(notes) : toText(notes));
    return allAccepted ? AllAccepted : SomeRejected;
}
