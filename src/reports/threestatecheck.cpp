#include "reports/threestatecheck.h"

namespace orv::reports {

ThreeStateCheck::ThreeStateCheck(const QString &text, QWidget *parent) : QCheckBox(text, parent)
{
    setTristate(true);
    setCheckState(Qt::PartiallyChecked);
    connect(this, &QCheckBox::clicked, this, &ThreeStateCheck::onClick);
}

std::optional<bool> ThreeStateCheck::filterValue() const
{
    if (checkState() == Qt::PartiallyChecked)
        return std::nullopt;
    return checkState() == Qt::Checked;
}

void ThreeStateCheck::nextCheckState() { setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked); }

void ThreeStateCheck::onClick()
{
    // Every second time the box comes to unchecked it goes on to grayed.
    if (checkState() == Qt::Unchecked) {
        if (m_grayNext)
            setCheckState(Qt::PartiallyChecked);
        m_grayNext = !m_grayNext;
    }
}

} // namespace orv::reports
