#pragma once
// frmDialog: the information dialog. One explanatory text, an OK button and "Do not show this dialog again";
// ShowInfoDialog drives it and the caller remembers the check box in its own setting.

#include <QDialog>

class Module1;
class QCheckBox;
class QLabel;
class QPushButton;

class frmDialog : public QDialog {
    Q_OBJECT
public:
    frmDialog(Module1& module, QWidget* parent);

    QLabel* Image1 = nullptr;
    QLabel* lblText = nullptr;
    QCheckBox* chkShow = nullptr;
    QPushButton* cmdOK = nullptr;

    void Form_Load();
    void cmdOK_Click();

private:
    Module1& m;
};
