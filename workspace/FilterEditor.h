#pragma once
// The filter editor: adds a filter of one of the seven kinds to a project's filter list, or changes
// a listed one, through four generic parameter fields whose meaning follows the kind.
//
// The editor knows its project only through IFilterEditorHost, so it does not link the project
// window. What the host (the project window) does:
//   - implements IFilterEditorHost: its filter list (the project owns the filters; the editor
//     never frees one it did not make), its box type and the closed box's reported Fc and Qtc
//     (the defaults of a Linkwitz transform), FiltersChanged() (refresh the list display, mark
//     the project changed, repaint the plot), and its widget (an editor of a destroyed host
//     closes itself);
//   - opens the editor from its "Add" button with StartFilterEditor(host, -1) and from "Modify"
//     with StartFilterEditor(host, row);
//   - calls FilterRemoving(host, row) before it deletes a filter from its list and
//     FilterHostClosing(host) when it really closes (after any question was answered).
// The editor finds the filter it edits by identity, not by row, so other rows may come and go.

#include "simulation/FilterBase.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TUnitHelper;
class TUnitWidgetField;

using TFilterList = std::vector<std::unique_ptr<TFilterBase>>;

class IFilterEditorHost {
public:
    virtual ~IFilterEditorHost() = default;
    virtual TFilterList& EditedFilters() = 0;
    virtual std::int32_t EditedBoxType() const = 0;
    // The closed box's resonance and total Q as the box model last reported them.
    virtual double ReportedFc() const = 0;
    virtual double ReportedQtc() const = 0;
    virtual void FiltersChanged() = 0;
    virtual QWidget* HostWidget() = 0;
};

// Opens the editor (or brings the open one to the front) on the host's filter at `row`, or on a
// new filter when `row` is outside the list.
void StartFilterEditor(IFilterEditorHost& host, int row);
// The host is about to delete its filter at `row`: an editor of that filter closes.
void FilterRemoving(IFilterEditorHost& host, int row);
// The host closes: an editor of its filters closes.
void FilterHostClosing(IFilterEditorHost& host);

// --- the mapping of the four generic fields onto each kind --------------------------------------

inline constexpr int kFilterKindCount = 7;
inline constexpr int kFilterFieldCount = 4;

// "Lowpass", "Highpass", "Allpass", "Linkwitz transform", "Parametric EQ",
// "Peaking 2nd order highpass", "Static gain"; index = kind.
extern const std::array<const char*, kFilterKindCount> FilterEditorTypeNames;

struct TFilterFieldRow {
    const char* caption; // null: the row is hidden
    const char* unit;    // null: no unit caption
};
// The four rows of a kind; all hidden for a number that names no kind.
std::array<TFilterFieldRow, kFilterFieldCount> FilterFieldRows(std::int32_t kind);

using TFilterFields = std::array<double, kFilterFieldCount>;
// The filter's parameters as the fields show them (the all-pass delay in ms); unused rows 0.
TFilterFields FieldsOfFilter(const TFilterBase& filter);

// A filter as the editor makes one of the kind: its defaults, a Linkwitz transform of a closed
// box (type 0) starting from the box's Fc and Qtc. Null for a number that names no kind.
std::unique_ptr<TFilterBase> NewEditorFilter(std::int32_t kind, std::int32_t boxType, double fc, double qtc);

// The orders the designs take: low- and high-pass 1..10, all-pass 1 (first order) or 2.
bool FilterOrderRange(std::int32_t kind, int& lowest, int& highest);
// Whether the field `row` of the kind holds the order: it shows a whole number ("2", not "2.000").
bool FilterRowIsOrder(std::int32_t kind, int row);

// Writes the fields into the filter (orders rounded to the nearest whole number, halves to even;
// the delay from ms to s), sets the subtype, switches it on and lets it compute its response.
// False with the reason, and the filter untouched, when an order is out of range or the design
// refuses the parameters.
bool FieldsToFilter(const TFilterFields& fields, std::int32_t subType, TFilterBase& filter,
                    std::string& reason);

// --- the window ---------------------------------------------------------------------------------

class TfrmFilterEditor : public QWidget {
    Q_OBJECT
public:
    explicit TfrmFilterEditor(QWidget* parent = nullptr);
    ~TfrmFilterEditor() override;

    // Fills the window for the host's filter at `row` (modify) or a new low-pass (add).
    void StartNow(IFilterEditorHost& host, int row);
    bool Adding() const { return m_Adding; }
    IFilterEditorHost* Host() const { return m_Host; }
    const TFilterBase* EditedFilter() const { return m_Edited; }

    // "Add"/"OK": apply, then close when that worked. "Apply": apply and stay.
    void btnAddClick();
    void btnApplyClick();
    void btnCancelClick();
    // Writes the fields into the project's list; false (with a message) when nothing was applied.
    bool ApplyChanges();

    void cbTypeChange(int index);
    void cbSubTypeChange(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // Enter where no button has the focus is "Add"/"OK", as in a dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetLabels(const TFilterBase& filter);
    // The fields show their values; the order as the whole number the filter takes.
    void ShowValues();
    void FieldCommitted(int row);
    void HostGone();

    IFilterEditorHost* m_Host = nullptr;
    QObject* m_HostObject = nullptr;
    const TFilterBase* m_Edited = nullptr; // the listed filter being modified; never dereferenced unlisted
    bool m_Adding = true;
    bool m_Dirty = false; // the user changed a field, the type or the subtype since the last apply
    std::int32_t m_Kind = 0;
    std::int32_t m_SubType = 0;
    TFilterFields m_Par{};

    std::unique_ptr<TUnitHelper> m_Helper;
    QComboBox* m_Type = nullptr;
    QComboBox* m_SubTypes = nullptr;
    std::array<QLineEdit*, kFilterFieldCount> m_Edits{};
    std::array<QLabel*, kFilterFieldCount> m_Captions{};
    std::array<QLabel*, kFilterFieldCount> m_Units{};
    std::array<TUnitWidgetField*, kFilterFieldCount> m_Fields{};
    QPushButton* m_Add = nullptr;
    QPushButton* m_Apply = nullptr;
};

// The open filter editor; null when none is open.
extern TfrmFilterEditor* frmFilterEditor;
