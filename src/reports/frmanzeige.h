#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QMenuBar;
class QAction;
class QPushButton;

namespace orv::ui {
class LineView;
}

namespace orv::reports {

// The display window: a report as text to read, search and print.
class FrmAnzeige : public QDialog {
    Q_OBJECT
public:
    explicit FrmAnzeige(QWidget *parent = nullptr);

    void setHeading(const QString &title, const QString &programLine, const QString &dateLine);
    // The report with CR LF line ends: the header lines, an empty line and the
    // body (the body alone without header lines). The window shares the
    // texts; the body, which may run to a million lines, is not copied.
    void setReportText(const QString &header, const QString &body);
    // "&Drucken": the print routine of the report dialog that opened the window.
    void setPrintAction(std::function<void()> action) { m_print = std::move(action); }
    // "Seiten&ansicht…": the page preview of the same report.
    void setPreviewAction(std::function<void()> action) { m_preview = std::move(action); }

    ui::LineView *textBox() const { return rtbAnzeige; }
    QString searchText() const { return m_searchText; }
    // Counted from 0 in the report text, where a line end CR LF counts as two.
    qsizetype searchPos() const { return m_searchPos; }

    void mnuSeek_Click();
    void mnuSeekNext_Click();

private:
    void buildMenu(); // the steps of building the window
    void buildControls();
    void arrangeControls();
    void connectCommands();
    // The position of the next match from `from` on, ignoring case; -1 when there is none.
    qsizetype findFrom(qsizetype from);

    QLabel *imgLogo;
    QLabel *lblTitle;
    QLabel *lblBem;
    QLabel *lblSign;
    ui::LineView *rtbAnzeige;
    QPushButton *cmdCancel;
    QMenuBar *m_menuBar;
    QAction *mnuDrucken;
    QAction *mnuSeitenansicht;
    QAction *mnuClose;
    QAction *mnuSeek;
    QAction *mnuSeekNext;

    std::function<void()> m_print;
    std::function<void()> m_preview;
    QString m_searchText;
    qsizetype m_searchPos = -1;
};

} // namespace orv::reports
