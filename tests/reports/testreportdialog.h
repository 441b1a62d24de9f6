#pragma once
#include "reports/reportbuttons.h"
#include "reports/reportdialog.h"

#include <functional>

using namespace Qt::StringLiterals;

namespace orv::test {

// A report dialog whose build is given by the test.
class TestReportDialog : public reports::ReportDialog {
public:
    using Builder = std::function<bool(reportdata::ReportModel &)>;
    explicit TestReportDialog(Builder build) : m_build(std::move(build))
    {
        setObjectName(u"frmTestBericht"_s);
        const reports::ReportButtons b = reports::ReportButtons::create(this);
        connectButtons(b.cmdDrucken, b.cmdAblage, b.cmdAnzeige, b.cmdCancel); // no export
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

    std::optional<reportdata::ExportJob> exportJob(data::Connection &) override { return std::nullopt; }

private:
    Builder m_build;
};

// Builds a fixed model.
inline TestReportDialog::Builder fixedReport(const QString &title, const QString &header, const QString &body,
                                             reportdata::Orientation o = reportdata::Orientation::Landscape)
{
    return [=](reportdata::ReportModel &m) {
        m.title = title;
        m.header = header;
        m.body = body;
        m.orientation = o;
        return true;
    };
}

} // namespace orv::test
