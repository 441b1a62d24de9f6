#include "reports/reportbuttons.h"

#include <QBoxLayout>
#include <QPushButton>

namespace orv::reports {

namespace {
QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}
} // namespace

ReportButtons ReportButtons::create(QWidget *parent)
{
    return {button("cmdDrucken", QStringLiteral("&Drucken"), parent),
            button("cmdAblage", QStringLiteral("&Ablage"), parent),
            button("cmdAnzeige", QStringLiteral("An&zeige"), parent),
            button("cmdExport", QStringLiteral("E&xport…"), parent),
            button("cmdCancel", QStringLiteral("A&bbrechen"), parent)};
}

void ReportButtons::addTo(QBoxLayout *layout) const
{
    for (QPushButton *b : {cmdDrucken, cmdAblage, cmdAnzeige, cmdExport, cmdCancel})
        layout->addWidget(b);
}

} // namespace orv::reports
