#pragma once
// frmAlarmMessage: the alarm message editor. It edits the text of the main window's message panel (txtAlarm),
// with an erase that the next click can undo until the user types again. The settings dialog shows it modally.

#include <QDialog>

class Module1;
class frmMain;
class QPlainTextEdit;
class QPushButton;

class frmAlarmMessage : public QDialog {
    Q_OBJECT
public:
    frmAlarmMessage(Module1& module, frmMain& mainForm, QWidget* parent);

    QPlainTextEdit* txtMessage = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdErase = nullptr;  // "&Erase message", or "&Undo erase" after an erase
    QPushButton* cmdCancel = nullptr;

    QString ErasedMessage;  // the text the last erase removed

    void Form_Load();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdErase_Click();
    void txtMessage_KeyDown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Module1& m;
    frmMain& main_;
};
