#include "qvutf8.h"

QString qvUTF8ToUNICODE(QByteArrayView octets)
{
    return QString::fromUtf8(octets);
}
