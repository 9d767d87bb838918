// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Writes a message on standard error as a terminal shows it safely, with a line end.
void writeError(const QString &text);

// Standard output, every write checked. A reader that closed its end of a pipe (`| head`) has
// all it wanted: the run ends quietly, by SIGPIPE or, where that is ignored, here.
class StandardOutput
{
public:
    StandardOutput();

    // Whether everything so far has been written; reports the first failure on standard error.
    // What is written may wait in a buffer until flush().
    bool write(const QByteArray &bytes);
    bool flush();
    // Hands the last bytes on: a file system may report a failure only when the file is closed.
    bool close();

    [[nodiscard]] bool ok() const { return !m_failed; }
    void fail(int error);

private:
    bool m_failed = false;
};
