#pragma once
// The driver editor: the user types a driver's data sheet, the editor derives the missing
// parameters on leaving each field, checks them for consistency and saves the driver as a driver
// file into the database folder. At most one exists; frmDriverEditor names it while it is open.

#include "model/Driver.h"
#include "shell/AppLinks.h"

#include <QWidget>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QTabWidget;
class TFlatEdit;
class TFlatMemo;
class TUnitHelper;
class TUnitLabel;
class TUnitWidgetField;
struct TDriverFieldBinding;

class TfrmDriverEditor : public QWidget, public IDriverEditor {
    Q_OBJECT
public:
    // A new editor with cleared fields; it frees itself when closed.
    explicit TfrmDriverEditor(QWidget* parent = nullptr);
    ~TfrmDriverEditor() override;

    // IDriverEditor
    QWidget* Widget() override { return this; }
    void ShowDriver(const TDriverObject& driver) override;

    // The edited driver, which every field reads from and writes to.
    TDriverObject& Driver() { return m_Driver; }
    bool AutoCalc() const { return m_AutoCalc; }

    // Empties the text fields and the driver (dates today, the user as its provider).
    void ClearFields();
    // Puts each bound field's unit name into its unit label.
    void DrawUnitLabels();
    // The editor's working steps: fields into the driver, derivation and check, driver into the
    // fields. FieldsToDriver answers false when a field held text it refused (restored).
    bool FieldsToDriver();
    void CalculateUnknowns();
    void DriverToFields();

    // The buttons and choices, as the user gives them.
    void btnSaveClick();
    void btnLoadClick();
    void btnClearClick();
    void btnCloseClick();
    void chkAutoCalcClick();
    void edConModeChange(int index);

    // The drag data the picture hands out: a copy of the edited driver.
    std::unique_ptr<QMimeData> MakeDragObject() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TBoundField {
        const TDriverFieldBinding* binding;
        QLineEdit* edit;
        TUnitLabel* label;
        TUnitWidgetField* field;
        TUnitWidgetField* labelField;
    };

    void BuildFields();
    QWidget* BuildGeneralPage();
    using TExtraRow = std::pair<QString, QWidget*>;
    QWidget* BuildFieldPage(int page, int columns, const std::vector<TExtraRow>& extra);
    // Leaving an edit (or Enter): judge its text, then derive when it recalculates.
    void FieldCommitted(TBoundField& field);
    void VoiceCoilsCommitted();
    void UnitLabelClick(TBoundField& field);
    bool JudgeEntry(TBoundField& field);
    bool JudgeVoiceCoils();
    // Shows every bound value, in the focused field too.
    void ShowAllValues();
    void ShowErrors(const std::vector<std::string>& labels);
    void StartDrag();
    QString DriverFolder() const;

    TDriverObject m_Driver;
    std::unique_ptr<TUnitHelper> m_Helper;
    bool m_AutoCalc = true;
    bool m_ShowAll = false; // a refresh rewrites even the field the user types in
    bool m_Filling = false; // the program writes the text fields
    bool m_Changed = false; // the user changed the driver since it was cleared, loaded or saved

    QTabWidget* m_Pages = nullptr;
    // The driver's texts: each shows its stored text whole or, when too long to lay out, cut and
    // read-only, and only a whole one is read back.
    TFlatEdit* m_Manufacturer = nullptr;
    TFlatEdit* m_Brand = nullptr;
    TFlatEdit* m_Model = nullptr;
    TFlatEdit* m_User = nullptr;
    QLineEdit* m_Date = nullptr;
    TFlatMemo* m_Comment = nullptr;
    QComboBox* m_ConMode = nullptr;
    QLineEdit* m_NumVC = nullptr;
    TUnitWidgetField* m_NumVCField = nullptr;
    QAbstractButton* m_AutoCalcBox = nullptr;
    QLabel* m_Picture = nullptr;
    QPoint m_PressPosition;
    bool m_Pressed = false;
    std::vector<TBoundField> m_Fields;
};

// The open driver editor; null when none is open.
extern TfrmDriverEditor* frmDriverEditor;
