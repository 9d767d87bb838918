// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutbox.h"

#include "appinfo.h"

#include <QApplication>
#include <QMessageBox>

namespace {

constexpr int PictureSize = 48;

} // namespace

AboutBox &AboutBox::shared()
{
    static AboutBox about;
    return about;
}

void AboutBox::Show(QWidget *owner, const AppInfo &app, const QString &extra,
                    const QPixmap &picture, const QString &dedication)
{
    if (m_box == nullptr)
        m_box = new QMessageBox(owner);
    else if (m_box->parentWidget() != owner)
        m_box->setParent(owner, m_box->windowFlags());

    m_box->setWindowTitle(QStringLiteral("О программе %1").arg(app.productName));
    m_box->setTextFormat(Qt::RichText);
    QString text = QStringLiteral("<b>%1</b><br>").arg(app.productName.toHtmlEscaped()) +
                   QStringLiteral("Версия %1").arg(app.version.toHtmlEscaped());
    if (!extra.isEmpty())
        text += QStringLiteral("<br>") + extra.toHtmlEscaped();
    m_box->setText(text);
    m_box->setInformativeText(dedication);
    m_box->setIconPixmap(
        picture.isNull() ? QApplication::windowIcon().pixmap(PictureSize, PictureSize) : picture);
    m_box->setStandardButtons(QMessageBox::Ok);
    m_box->exec();
}
