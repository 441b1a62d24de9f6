#include "reportdata/reportmodel.h"

#include "data/format.h"
#include "services/settings.h"

#include <QDate>

namespace orv::reportdata {

QStringList splitLines(const QString &text) { return text.split(crlf); }

QString programLine()
{
    return QStringLiteral("ORV V. %1.%2.%3").arg(ORV_VERSION_MAJOR).arg(ORV_VERSION_MINOR).arg(ORV_VERSION_PATCH);
}

QString dateLine()
{
    return QStringLiteral("Datum: ") + data::formatDate(QDate::currentDate()) + QStringLiteral("   ")
           + services::settings::remark();
}

QString composeText(const ReportModel &model)
{
    const QString program = programLine();
    const QString date = dateLine();
    QString text;
    text.reserve(program.size() + date.size() + model.title.size() + model.header.size() + model.body.size() + 16);
    text += program;
    text += crlf;
    text += crlf;
    text += date;
    text += crlf;
    text += crlf;
    text += model.title;
    text += crlf;
    text += crlf;
    if (!model.header.isEmpty()) {
        text += model.header;
        text += crlf;
        text += crlf;
    }
    text += model.body;
    return text;
}

} // namespace orv::reportdata
