#pragma once

#include <QByteArrayView>
#include <QString>

// The octets decoded as UTF-8. An invalid sequence becomes U+FFFD; that is not a failure.
QString qvUTF8ToUNICODE(QByteArrayView octets);
