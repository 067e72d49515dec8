#pragma once
// frmAbout: the about box. It names the program and the platform it runs on; OK closes it and brings the main
// window back.

#include <QDialog>

class Module1;
class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(Module1& module, QWidget* parent);

    QLabel* Image1 = nullptr;  // the program's icon
    QLabel* Label1 = nullptr;  // "Dawnbell 2.2"
    QLabel* lblPlatform = nullptr;  // "for Linux", then the distribution's name
    QPushButton* cmdOK = nullptr;

    void Form_Load();
    void cmdOK_Click();

private:
    Module1& m;
};
