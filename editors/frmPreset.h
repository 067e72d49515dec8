#pragma once
// frmPreset: the preset editor. It edits the three quick alarm times of Speed Set, each a time and a short
// description, straight in the settings record: a time field stores the preset when it is left, the
// description with every keystroke. The settings dialog shows it modally; its OK refreshes the dialog's preset
// labels and closes it.

#include <QDialog>

class Module1;
class frmOptions;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QString;

class frmPreset : public QDialog {
    Q_OBJECT
public:
    // Loads the editor: its Form_Load runs. `options` is the settings dialog whose labels OK refreshes.
    frmPreset(Module1& module, frmOptions* options);
    ~frmPreset() override;

    static constexpr int DescriptionMaxLength = 50;

    QGroupBox* Frame1 = nullptr;  // "Choose preset to edit:"
    QRadioButton* opt1 = nullptr;
    QRadioButton* opt2 = nullptr;
    QRadioButton* opt3 = nullptr;
    QLabel* Label2 = nullptr;     // "Set alarm time to:"
    QComboBox* cmbHour = nullptr;
    QLabel* lblColon1 = nullptr;
    QComboBox* cmbMinute = nullptr;
    QLabel* lblColon2 = nullptr;
    QComboBox* cmbSecond = nullptr;
    QComboBox* cmbAMPM = nullptr;
    QLabel* Label1 = nullptr;     // "Description (50 characters max.):"
    QPlainTextEdit* txtDesc = nullptr;
    QPushButton* cmdOK = nullptr;

    void Form_Load();
    void opt1_Click();
    void opt2_Click();
    void opt3_Click();
    void txtDesc_Change();
    void txtDesc_GotFocus();
    void cmbHour_LostFocus();
    void cmbMinute_LostFocus();
    void cmbSecond_LostFocus();
    void cmbAMPM_LostFocus();
    void cmdOK_Click();

protected:
    // Showing the editor selects preset 1, as the first control of the tab order taking the focus does.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Module1& m;
    frmOptions* options_;

    // The selected preset, 1 to 3, or 0 while no option button is selected.
    int SelectedPreset() const;
    QString* PresetTime(int preset);
    QString* PresetDescription(int preset);
    // Shows preset `preset`: its description, and its time (7:00:00 AM when it has none) in the four fields.
    void ShowPreset(int preset);
    void SetTimeFields(const QString& timeText);
    // The four fields joined into the selected preset's time.
    void StoreTime();
};
