// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Hostile inputs for the note reading, and what reading each one must give. Shared by the tests
// of the library and of quillet-export, which must both come to the same outcome.

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QTemporaryDir>

#include <optional>

enum class HostileInput {
    Missing,
    Directory,
    Fifo,
    Socket,
    DevNull,
    DevZero,
    DevUrandom,
    ProcFile,
    Unreadable,
    Empty,
    Garbage,
    GarbageAfterBegin,
    InvalidUtf8,
    Utf16LittleEndian,
    Utf16BigEndian,
    Utf16LoneSurrogate,
    Utf16OddLength,
    LongLine,
    LongBodyLine,
    LongVersionLine,
    ManyProperties,
    ManyVersions,
    ManyBodyLines,
    OverCap,
    AtCap,
    PathWithBlanks,
    PathWithQuotes,
    PathNonAscii,
    PathWithNewline,
    PathWithBackslash,
    PathLatin1,
    PathWindows1251,
    OverCapWithPlaceholders,
};

// Declares the columns and adds one row per hostile input:
//   input (HostileInput); readFailure (int: TextFileReader::Failure, 0 when the read works);
//   why (QString: part of the failure's description); message (QString: the parser's message
//   for a rejected note, empty when accepted); version, body (QString: the fields shown).
void addHostileRows();

// The current row of that table, inside a test function.
struct HostileCase
{
    HostileInput input;
    int readFailure;
    QString why;
    QString message;
    QString version;
    QString body;
};
HostileCase fetchHostileCase();

// Makes the input under `dir` and returns its path.
QString makeHostileInput(HostileInput input, const QString &dir);

// Releases a reader that is stuck opening or reading `path`, if it is a FIFO; returns whether it
// is one.
bool unblockFifo(const QString &path);

// What a note file looks like from outside: whether it is there, its bytes and times. Reading it
// must leave all of it as it was.
struct FileState
{
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    QByteArray sha256; // regular files only

    static FileState of(const QString &path);
    bool operator==(const FileState &other) const = default;
};

// A hostile input made in a fresh folder, with the state its file had before the test.
struct HostileFile
{
    explicit HostileFile(HostileInput input)
        : path(makeHostileInput(input, dir.path())), ours(path.startsWith(dir.path())),
          before(FileState::of(path))
    {
    }
    // Removes the folder by its names' own bytes, which QTemporaryDir cannot reach when they
    // are not UTF-8.
    ~HostileFile();
    HostileFile(const HostileFile &) = delete;
    HostileFile &operator=(const HostileFile &) = delete;

    QTemporaryDir dir;
    QString path;
    bool ours; // made here, rather than a device or other file of the system
    FileState before;
};
char *toString(const FileState &state); // for QCOMPARE

Q_DECLARE_METATYPE(HostileInput)
