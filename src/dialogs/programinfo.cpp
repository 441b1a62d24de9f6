#include "dialogs/programinfo.h"

#include "services/connectionrecipe.h"

#include <QApplication>
#include <QIcon>

namespace orv::dialogs {

QString versionText()
{
    return QStringLiteral("Version %1.%2.%3").arg(ORV_VERSION_MAJOR).arg(ORV_VERSION_MINOR).arg(ORV_VERSION_PATCH);
}

QString databaseText() { return services::connectionTarget().displayName(); }

QPixmap programIcon(int size)
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(size, size);
    return logoFrame(logoFrameCount).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QPixmap logoFrame(int frame) { return QPixmap(QStringLiteral(":/about/logo%1.png").arg(100 + frame)); }

} // namespace orv::dialogs
