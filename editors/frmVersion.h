#pragma once
// frmVersion: the version window with the version and the build's date. Credits lengthens the window and
// uncovers the acknowledgements of the free software Dawnbell is built on.

#include <QDialog>

class Module1;
class QLabel;
class QPushButton;
class QTextBrowser;

// The window's height once the acknowledgements are uncovered, in twips.
inline constexpr int CreditsHeightTwips = 2470;

class frmVersion : public QDialog {
    Q_OBJECT
public:
    frmVersion(Module1& module, QWidget* parent);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;  // "Dawnbell for Linux"
    QLabel* Label2 = nullptr;  // "Version 2.2"
    QLabel* Label3 = nullptr;  // "Compiled " and the build's date
    QPushButton* Command1 = nullptr;  // "&OK"
    QPushButton* Command2 = nullptr;  // "&Credits"
    QTextBrowser* txtCredits = nullptr;  // the acknowledgements, hidden until Credits

    void Command1_Click();
    void Command2_Click();


private:
    Module1& m;
};
