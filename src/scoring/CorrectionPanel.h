#pragma once

#include "net/ScoreLine.h"
#include "widgets/AppContext.h"

#include <QGroupBox>

class QLineEdit;
class QPushButton;

namespace corvanta {

// The correction panel (Frame7, "修改数据"): one pending score line in its five boxes. The
// score, time and standard can be edited; "确定" checks the line and puts it in the place
// of the old one in the pending scores (and so in their file), "取消" leaves it as it was.
class CorrectionPanel : public QGroupBox
{
    Q_OBJECT
public:
    explicit CorrectionPanel(AppContext &context, QWidget *parent = nullptr);

    // Fills the boxes from the pending line at row. False, and nothing changed, when there is
    // no such line or it is not a score line.
    bool openLine(int row);

signals:
    // The panel is done with the line at row: corrected, or left as it was. A refused
    // correction does not close it.
    void closed(int row, bool corrected);

private:
    void accept();

    // Controls, named as the main window names them.
    QLineEdit *classEdit; // never shown: the class goes back unchanged
    QLineEdit *nameEdit;
    QLineEdit *scoreEdit;
    QLineEdit *timeEdit;
    QLineEdit *standardEdit;
    QPushButton *okButton;
    QPushButton *cancelButton;

    AppContext &m_context;
    int m_row = -1;
    ScoreLine m_opened; // the line as it stood when opened
};

} // namespace corvanta
