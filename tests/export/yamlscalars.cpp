// SPDX-License-Identifier: GPL-3.0-or-later
// For the companion's export test: each string of the JSON array on standard input written as
// the YAML scalar writer writes it, as the value of "value: ", a NUL after each document.
#include "yamlscalar.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

int main()
{
    QFile in;
    QFile out;
    if (!in.open(stdin, QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly))
        return 1;
    const QJsonDocument texts = QJsonDocument::fromJson(in.readAll());
    if (!texts.isArray())
        return 1;
    for (const QJsonValue text : texts.array())
        out.write((QStringLiteral("value: ") + yamlScalar(text.toString()) + u'\n').toUtf8() +
                  '\0');
    return out.flush() ? 0 : 1;
}
