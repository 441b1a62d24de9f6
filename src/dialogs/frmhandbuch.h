#pragma once
#include <QTextBrowser>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace orv::dialogs {

// The handbook's page as the help window shows it: every section and
// heading id made a target the text browser can scroll to.
class HandbookBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl &name) override;
};

// The handbook in a window of ORV's own, so that it opens with no browser and
// no network: the chapters as a list, search within the text, back and
// forward, and "Im Browser öffnen" for those who want their browser.
class FrmHandbuch : public QWidget {
    Q_OBJECT
public:
    explicit FrmHandbuch(const QString &page, QWidget *parent = nullptr);
    // Shows the section with this anchor; the top of the handbook for an unknown or empty one.
    void showChapter(const QString &anchor);
    // The anchor of the chapter (or section) shown; "" at the top.
    QString shownChapter() const;
    // Finds the text of the search box after the cursor, starting again at the top; false when it is nowhere.
    bool findNext();

private:
    void buildChapters();
    void chapterChosen(QTreeWidgetItem *item);
    void markChapter(const QUrl &source);

    QString m_page;
    HandbookBrowser *txtHandbuch = nullptr;
    QTreeWidget *lstKapitel = nullptr;
    QLineEdit *txtSuchen = nullptr;
    QLabel *lblSuche = nullptr;
};

// F1 and "?" → "Handbuch": the help window at the chapter of the window or
// dialog `from` belongs to. One help window serves all; over a modal dialog
// it opens as that dialog's window, so that it can be used beside it.
void showHelp(QWidget *from);
// F1 opens the help of the window it is pressed in, in every window and dialog.
void installHelpKey();

} // namespace orv::dialogs
