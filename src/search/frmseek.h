#pragma once
#include <QDialog>
#include <QString>
#include <vector>

#include "search/seek.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QModelIndex;

namespace orv::data {
class RecordSet;
}

namespace orv::search {

class SeekResultModel;

// The search dialog: searches the rows the caller hands over and gives back
// the position of the row the user picks. It knows no tables; the caller
// says which columns can be searched and how a result line looks.
class FrmSeek : public QDialog {
    Q_OBJECT
public:
    explicit FrmSeek(QWidget *parent = nullptr);
    ~FrmSeek() override;

    // Set by the caller before the dialog is shown.
    data::RecordSet *SeekRecordset = nullptr; // not owned, not closed
    // The search fields: listed by caption, the first one selected.
    void setSearchFields(const SeekLayout &fields);
    // Read by the caller afterwards: 1-based position of the chosen row, 0 when cancelled.
    int SeekPosition = 0;

    QLabel *lblSuchfeld;
    QListWidget *lstFields;
    QLabel *lblEingabe;
    QLineEdit *txtExpression;
    QCheckBox *chkVolltext;
    QPushButton *cmdSeek;
    QLineEdit *lblUeberschrift;
    QListView *lstResult;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

    SeekResultModel *resultModel() const { return m_model; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void arrangeControls();
    void updateSeekEnabled();
    void seek();
    void collectMatches(data::RecordSet &rows, const QString &field, std::vector<int> &found);
    void choose();
    void makeDefault(QPushButton *button);
    void searchFailed();

    SeekResultModel *m_model;
    SeekLayout m_fields;
};

} // namespace orv::search
