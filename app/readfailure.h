// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "qverror.h"
#include "textfilereader.h"

#include <new>
#include <optional>

// Runs a read of a note file: its failure, or memory running out, is what the read-failure box
// reports; none when it worked.
template <typename Read> std::optional<QvError> readFailure(Read &&read)
{
    try {
        read();
    } catch (const QvError &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return TextFileReader::outOfMemory();
    } catch (const std::exception &error) {
        return QvError(TextFileReader::InputOutputError, QString::fromLocal8Bit(error.what()));
    }
    return std::nullopt;
}
