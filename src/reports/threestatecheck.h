#pragma once
#include <QCheckBox>
#include <optional>

namespace orv::reports {

// A yes/no filter box with a third, grayed state for "no filter". A click
// moves it on grayed -> unchecked -> checked -> grayed.
class ThreeStateCheck : public QCheckBox {
    Q_OBJECT
public:
    explicit ThreeStateCheck(const QString &text, QWidget *parent = nullptr);
    // nullopt when grayed, else whether it is checked.
    std::optional<bool> filterValue() const;

protected:
    // The box itself only toggles between unchecked and checked (a grayed box unchecks).
    void nextCheckState() override;

private:
    void onClick();
    bool m_grayNext = false;
};

} // namespace orv::reports
