#pragma once
#include "reports/reportdialog.h"

#include <QPushButton>
#include <functional>

namespace orv::test {

// A report dialog whose build is given by the test.
class TestReportDialog : public reports::ReportDialog {
public:
    using Builder = std::function<bool(reports::ReportModel &)>;
    explicit TestReportDialog(Builder build) : m_build(std::move(build))
    {
        setObjectName(QStringLiteral("frmTestBericht"));
        auto *drucken = new QPushButton(QStringLiteral("&Drucken"), this);
        drucken->setObjectName(QStringLiteral("cmdDrucken"));
        auto *ablage = new QPushButton(QStringLiteral("&Ablage"), this);
        ablage->setObjectName(QStringLiteral("cmdAblage"));
        auto *anzeige = new QPushButton(QStringLiteral("An&zeige"), this);
        anzeige->setObjectName(QStringLiteral("cmdAnzeige"));
        auto *cancel = new QPushButton(QStringLiteral("A&bbrechen"), this);
        cancel->setObjectName(QStringLiteral("cmdCancel"));
        connectButtons(drucken, ablage, anzeige, cancel);
    }
    int builds = 0;

protected:
    bool buildReport() override
    {
        ++builds;
        m_model.header.clear();
        m_model.body.clear();
        return m_build(m_model);
    }

    std::optional<reports::ExportJob> exportJob(data::Connection &) override { return std::nullopt; }

private:
    Builder m_build;
};

// Builds a fixed model.
inline TestReportDialog::Builder fixedReport(const QString &title, const QString &header, const QString &body,
                                             reports::Orientation o = reports::Orientation::Landscape)
{
    return [=](reports::ReportModel &m) {
        m.title = title;
        m.header = header;
        m.body = body;
        m.orientation = o;
        return true;
    };
}

} // namespace orv::test
