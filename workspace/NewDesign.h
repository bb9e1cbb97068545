#pragma once
// The new-project wizard: a driver from the database, how many and how they are mounted, the box
// type (an EBP gauge proposes closed or vented), the passive radiator when there is one, and an
// alignment that sizes the box; "Finish" fills a new project window's records and starts it.
//
// The choices -> records part is plain code below the window, so it is tested without one.

#include "model/Driver.h"
#include "simulation/ProjectRecords.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class TEbpGauge;
class TfrmTinyParams;
class TUnitHelper;
class TUnitLabel;
class TUnitWidgetField;
struct TProjectDocument;

enum TWizardPage : int {
    wpDriver = 0,
    wpDriverUsage = 1,
    wpBoxType = 2,
    wpPassiveRadiator = 3,
    wpAlignment = 4,
};
inline constexpr int kWizardPageCount = 5;

// EBP from which vented is proposed, and the gauge's full scale.
inline constexpr double kEbpVentedFrom = 55;
inline constexpr double kEbpFullScale = 110;
inline constexpr const char* kNoAlignment = "<None available>";
inline constexpr const char* kSlotLimitMessage = "Maximum number(10) of simultaneous projects reached!";
inline constexpr const char* kNoOptimumWarning =
    "WARNING!\r\nCurrent version of Borvik can't calculate optimum\r\nbox parameters for this box type.\r\n"
    "You need to adjust the parameters by hand.";

// The driver's efficiency bandwidth product Fs/Qes; Qes, when missing, from Qts and Qms (4 when
// Qms is missing too). 0 when it cannot be found.
double WizardEBP(const TDriverData& data);
// Vented (1) from an EBP of 55 on, else closed (0).
int ProposedBoxType(double ebp);
// "EBP = " and the value with one decimal; empty when the EBP is unknown (0).
std::string EbpLabel(double ebp);
// The gauge's rows from the top, as 0x00BBGGRR colours, -1 for a dark row: lit from the bottom up
// to EBP/110 of the height, blue shading to cyan towards the top. All dark for an unknown EBP.
std::vector<std::int32_t> EbpGaugeRows(double ebp, int height);

// The page after / before `page` for the box type: the passive-radiator page only for type 4.
int WizardNextPage(int page, int boxType);
int WizardPreviousPage(int page, int boxType);

// A driver from the database as the wizard holds it: source resistance 0.1 ohm, no added mass,
// no coil heating, a coil coefficient of 0.0039 when it has none, the air of the settings, and
// its model prepared.
void PrepareWizardDriver(TDriverObject& driver);
// The chosen driver as a project of `count` drivers (pairs when isobaric) holds it.
TDriverObject ProjectDriver(const TDriverObject& chosen, int count, bool isobaric);

// The alignments offered for the box type and the one proposed.
struct TAlignmentChoice {
    std::vector<std::string> items;
    int selected = 0;
};
TAlignmentChoice AlignmentChoices(int boxType, const TDriverObject& projectDriver);

// The box losses a new project starts with, and the rest of step "box defaults".
void NewProjectBoxDefaults(TBoxData& box, const TDriverObject& driver, bool isobaric);

// Sizes `box` by the alignment named `alignment` for box types 0..2 (types 3 and 4 have none and
// leave it). False with the reason when the alignment gives no positive, finite box.
bool ApplyAlignment(int boxType, const std::string& alignment, const TDriverObject& projectDriver,
                    TBoxData& box, std::string& reason);

// The passive radiator a project of type 4 needs: Vas, Fs, Qms and Sd above 0.
bool RadiatorAccepted(const TPassiveRadiatorData& radiator, std::string& reason);

// Drivers a project window accepts from the wizard's list.
inline constexpr int kWizardMaxDrivers = 10;

struct TWizardChoices {
    int boxType = 0;
    int driverCount = 1;
    bool isobaric = false;
    TPassiveRadiatorData radiator{};
    std::string alignment;
};

// Fills a new project's records from the choices and the wizard's driver, alignment included.
// False with the reason (the records then hold no usable box) when the alignment gives none.
bool FillNewProject(const TWizardChoices& choices, const TDriverObject& wizardDriver,
                    TProjectDocument& project, std::string& reason);

// --- the window ---------------------------------------------------------------------------------

// A dialog, not a plain window: so it behaves and is announced as one (non-modal all the same).
class TfrmNewProject : public QDialog {
    Q_OBJECT
public:
    // The main window creates the one wizard at start-up, hidden, as its `owner`.
    explicit TfrmNewProject(QWidget* owner = nullptr);
    ~TfrmNewProject() override;

    int ActivePage() const;
    double EBP() const { return m_EBP; }
    const TDriverObject& Driver() const { return m_Driver; }
    TWizardChoices Choices() const;

    // Refills the driver list from the database, keeping the chosen driver when it is still there.
    void RefillDriverList();
    void sDriverChange();
    void btnNextClick();
    void btnPrevClick();
    void btnAbortClick();
    void btnNewClick();
    void cbShowParamsClick();
    // Creates the project; false (the wizard stays open with its choices) when none was made.
    bool FinishNewProject();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* BuildDriverPage();
    QWidget* BuildUsagePage();
    QWidget* BuildBoxTypePage();
    QWidget* BuildRadiatorPage();
    QWidget* BuildAlignmentPage();
    void Placement(bool isobaric);
    void ShowBoxPicture();
    void ShowPage(int page);
    void FillAlignments();
    void JudgeAlignment();
    void UpdateButtons();

    TDriverObject m_Driver;
    double m_EBP = 0;
    TPassiveRadiatorData m_Radiator{};
    std::unique_ptr<TUnitHelper> m_Helper;
    std::vector<TUnitWidgetField*> m_RadiatorFields;
    bool m_FinishAllowed = true;
    bool m_Positioned = false;
    bool m_Snapping = false;

    QStackedWidget* m_Pages = nullptr;
    QComboBox* m_DriverList = nullptr;
    QAbstractButton* m_ShowParams = nullptr;
    QAbstractButton* m_FilterDB = nullptr;
    QComboBox* m_DriverCount = nullptr;
    QAbstractButton* m_Normal = nullptr;
    QAbstractButton* m_Isobaric = nullptr;
    QLabel* m_IsoPairs = nullptr;
    QLabel* m_PlacePic = nullptr;
    QComboBox* m_BoxType = nullptr;
    QLabel* m_BoxPic = nullptr;
    TEbpGauge* m_Gauge = nullptr;
    QLabel* m_EbpText = nullptr;
    QComboBox* m_Alignments = nullptr;
    QLabel* m_FinishReason = nullptr;
    QPushButton* m_Abort = nullptr;
    QPushButton* m_Prev = nullptr;
    QPushButton* m_Next = nullptr;
    TfrmTinyParams* m_Params = nullptr;
};
