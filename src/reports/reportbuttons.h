#pragma once
#include <QString>

class QPushButton;
class QWidget;
class QBoxLayout;

namespace orv::reports {

// The buttons every report dialog carries.
struct ReportButtons {
    QPushButton *cmdDrucken;
    QPushButton *cmdAblage;
    QPushButton *cmdAnzeige;
    QPushButton *cmdExport;
    QPushButton *cmdCancel;
    static ReportButtons create(QWidget *parent);
    void addTo(QBoxLayout *layout) const;
};

} // namespace orv::reports
