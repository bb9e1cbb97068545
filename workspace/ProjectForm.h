#pragma once
// The project window: one open project, its fields on eight tabs, the box picture with its drag
// gestures, the filter list, saving and closing. The records and their rules are the
// TProjectDocument it derives from; the window wires the widgets to them.

#include "shell/AppLinks.h"
#include "workspace/FilterEditor.h"
#include "workspace/ProjectDocument.h"
#include "workspace/ValueChanger.h"

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class TFlatMemo;
class TfrmTinyParams;
class TUnitHelper;
class TUnitWidgetField;
class TBoxPicture;
class THV_PopupMenu;

class TfrmProject : public QWidget, public IProjectWindow, public IFilterEditorHost, public TProjectDocument {
    Q_OBJECT
public:
    // A window for slot `slot` of the main window; the records start empty (air from the
    // settings) until the opener or the wizard fills them and calls StartNow.
    explicit TfrmProject(int slot, QWidget* parent = nullptr);
    ~TfrmProject() override;

    // IProjectWindow
    QWidget* Widget() override { return this; }
    int Slot() const override { return slot; }
    bool LoadProjectFile(const QString& fileName, QString& error) override;
    void StartNow(int mode) override;
    bool SaveProject() override;
    bool Modified() const override;
    bool CloseQuery() override;
    void CloseAnswered() override { m_Closing = true; }
    TProjectPlotData PlotData() override;

    // The recalculation chain.
    void UpdateNow();
    void VentUpdate();
    void PlotNow();
    void ProjectResultCallback(std::uint8_t kind, double value);

    void SetModified() { modified = true; }
    // The box-type panel's text as the window's maker writes it; a project started without one
    // shows its box type's name.
    void ShowBoxTypeText(const QString& text);
    void UpdateFilterList();
    void DrawLocks();
    void UpdateAirSpeed();
    void DrawUnitLabels();
    // Every record into its field (the focused field keeps its text).
    void WriteFields();

    // The "Save" button: the save dialog, then the file. False when nothing was saved.
    bool SaveClick();

    // The embedded driver-parameter panel.
    TfrmTinyParams* ParamsPanel() const { return m_Params; }
    bool parametersShown = false;
    void pnlShowParametersClick();

    // Named controls, for the window's tests and the robustness test.
    QWidget* Control(const QString& objectName) const;
    QTabWidget* Tabs() const { return m_Tabs; }

    // A driver dropped on the window (the drag object's driver): copied into the project.
    void DropDriver(const TDriverObject& dropped);
    // Box-picture gestures in picture coordinates.
    void BoxPicMouseDown(Qt::MouseButton button, QPoint position);
    void BoxPicMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint position);
    void BoxPicMouseUp();
    // The chamber labels' clicks (drag locks).
    void LockLabelClick(TDragLocks::Label label);

    // Filter list commands.
    void btnAddEqClick();
    void btnModifyEqClick();
    void btnDelEqClick();
    // IFilterEditorHost: the filter editor works on this project's list.
    TFilterList& EditedFilters() override { return filters; }
    std::int32_t EditedBoxType() const override { return box.BType; }
    double ReportedFc() const override { return Fc; }
    double ReportedQtc() const override { return Qtc; }
    // A filter was changed or appended: the list is shown again, the project changed, the plot
    // repainted.
    void FiltersChanged() override;
    QWidget* HostWidget() override { return this; }

    // The advanced loss-factor menu of a chamber; each item opens a value editor.
    std::unique_ptr<THV_PopupMenu> BuildAdvancedMenu(bool rear);
    // The value editor opened last, while it is open.
    TfrmEditor* ValueEditor() const { return m_ValueEditor; }

    // How many times this window asked for a repaint, for tests of the chain.
    int repaintRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A driver dragged over any part of the window, a field included, is the window's drag.
    bool DriverDragEvent(QEvent* event);

private:
    struct Binding;
    void BuildWindow();
    QWidget* BuildDriverTab();
    QWidget* BuildRadiatorTab();
    QWidget* BuildBoxTab();
    QWidget* BuildVentsTab();
    QWidget* BuildPlotTab();
    QWidget* BuildSignalTab();
    QWidget* BuildFilterTab();
    QWidget* BuildProjectTab();

    // A numeric field bound to a record value, with its change rule and unit label.
    QLineEdit* AddField(const QString& name, TProjectField field, double* value, int kind,
                        const QString& unitLabelName, bool stepKeys);
    // The same in a new row of a grid: caption, field, unit label.
    QLineEdit* FieldRow(QGridLayout* grid, const QString& caption, const QString& name, TProjectField rule,
                        double* value, int kind, const QString& unitLabelName, bool stepKeys);
    QLabel* MakeUnitLabel(const QString& name, TUnitWidgetField* field);
    void FieldCommitted(TUnitWidgetField* field, TProjectField rule, double* value);
    void FieldStepped(TUnitWidgetField* field, TProjectField rule, double* value, bool up);
    void IntegerCommitted(TUnitWidgetField* field, TProjectField rule, std::int32_t* value);
    void ApplyResult(TChangeResult result);
    void EndCorrectionChosen(bool rear);
    void ShowEndCorrections();
    void ShowVentShapes();
    void ShowBoxType();
    void ShowPlacement();
    void ShowColour();
    void ShowProjectInfo();
    void AdvancedMenu(bool rear);
    void OpenValueEditor(double* value, const QString& caption);
    void colorPanelClick();
    void SnapParentToGrid();
    void RefreshCaption();
    void MarkChanged() { modified = true; }

    std::unique_ptr<TUnitHelper> m_Helper;
    std::vector<std::unique_ptr<TUnitWidgetField>> m_Fields;
    std::map<QString, QWidget*> m_Controls;

    QTabWidget* m_Tabs = nullptr;
    TfrmTinyParams* m_Params = nullptr;
    QPushButton* m_ShowParameters = nullptr;
    TBoxPicture* m_BoxPic = nullptr;
    QLabel* m_Placement = nullptr;
    QListWidget* m_Filters = nullptr;
    TFlatMemo* m_Description = nullptr;

    // Re-entry guard of the recalculation chain.
    bool m_InChain = false;
    bool m_Closing = false;
    bool m_Started = false;
    bool m_DisplayPending = false;
    QPointer<TfrmEditor> m_ValueEditor;
    QPoint m_LastMouse;
    bool m_Dragging = false;
    // Keeps the callback's target alive at a fixed address for the plot engine.
    struct Reporter {
        TfrmProject* window;
        void operator()(std::uint8_t kind, double value) const { window->ProjectResultCallback(kind, value); }
    } m_Reporter{this};
};
