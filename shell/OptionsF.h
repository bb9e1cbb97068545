#pragma once
// The options window: plot colours and limits, user name, desktop grid, the default air with its
// speed of sound, the amplitude scales and a joystick test. It edits a copy of the settings that
// OK checks, commits and writes at once; Cancel drops the copy.

#include "shell/Settings.h"

#include "platform/Joystick.h"
#include "platform/SettingsStore.h"

#include <QDialog>

#include <map>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTimer;
class TUnitWidgetField;

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    // `store` receives the settings on OK. The joystick test reads platform::AppJoystick().
    explicit TfrmOptions(platform::SettingsStore& store, QWidget* parent = nullptr);
    ~TfrmOptions() override;

    // Fills the window from the settings when it opens; activating it again keeps what is typed.
    void setVisible(bool visible) override;

    // The buttons' handlers, callable as the buttons call them.
    void Button2Click(); // OK
    void Button1Click(); // Cancel

    // The copy being edited (what OK would commit before it reads the fields).
    const TConfig& Edited() const { return m_Edit; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGraphPage(QWidget* page);
    void BuildGeneralPage(QWidget* page);
    void BuildJoystickPage(QWidget* page);
    void FillFields();
    void DrawUnitLabels();
    void UpdateSoundVelocity();
    void ShowColour(QPushButton* panel, std::int32_t colour);
    void ChooseColour(QPushButton* panel, std::int32_t TConfig::*field);
    void CycleUnits(QPushButton* label, std::initializer_list<const char*> fields);
    void CycleScale(QPushButton* label, std::int32_t TConfig::*scale);
    bool ReadFields(TConfig& into, std::string& badField);
    void Refuse(const std::string& message, const std::string& field);
    void JoyTimerTimer();
    void SetTesting(bool on);

    QLineEdit* Edit(const std::string& name) const;
    TUnitWidgetField* UnitField(const std::string& name) const;

    platform::SettingsStore& m_Store;
    TConfig m_Edit;
    bool m_Loading = true;

    QTabWidget* pcConfig = nullptr;
    QWidget* tabGraph = nullptr;
    QWidget* tabGeneral = nullptr;
    QWidget* tabJoystick = nullptr;
    std::map<std::string, QLineEdit*> m_Edits;
    std::map<std::string, TUnitWidgetField*> m_UnitFields;
    std::map<std::string, QPushButton*> m_Colours;
    QPushButton* lblConeExcursion = nullptr;
    QPushButton* lblExcursionScale = nullptr;
    QPushButton* lblVelocity = nullptr;
    QPushButton* lblVelocityScale = nullptr;
    QPushButton* lblTemp = nullptr;
    QPushButton* lblHumidy = nullptr;
    QPushButton* lblAirPressure = nullptr;
    QPushButton* lblAirSpeed = nullptr;
    QLabel* pnlAirspeed = nullptr;
    QLineEdit* edUserName = nullptr;
    QCheckBox* cbSnap = nullptr;
    QCheckBox* chkTest = nullptr;
    QLabel* pnlJoy1 = nullptr;
    QLabel* pnlJoy2 = nullptr;
    QSlider* tbXPos = nullptr;
    QSlider* tbYPos = nullptr;
    QTimer* JoyTimer = nullptr;
};
