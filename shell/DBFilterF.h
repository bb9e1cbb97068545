#pragma once
// The database filter window: ranges of a driver's main parameters and a name fragment, turned
// into a filter record by "Apply", which then calls the handler its user installed.

#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <string_view>

class QLineEdit;
class QPushButton;
struct TDriverData;
class TUnitLabel;
class TUnitWidgetField;

// A (min, max) pair in SI units; (0, 0) sets no limit.
struct TFilterRange {
    double min = 0;
    double max = 0;
    friend bool operator==(const TFilterRange&, const TFilterRange&) = default;
};

// The upper end of a range typed open ("20-").
inline constexpr double OpenRangeMaximum = 99999999.0;
inline constexpr std::size_t FilterNameLength = 40;

struct TDriverFilter {
    std::function<void()> applyHandler;
    bool enabled = false;
    TFilterRange Qts, Vas, Re, Le, Fs, Qms, Qes, SPL, Pe, Xmax, dia, BL, Z, Sd;
    std::string name; // at most FilterNameLength characters
};

struct TFilterRangeResult {
    TFilterRange range;
    bool ok = true; // false when a part was not a number; range is (0, 0) then
};

// Reads a range typed in a field shown in unit row `unitIndex` of quantity kind `kind`: empty is
// (0, 0); one value v is (v, v); "a-b" is (a, b) with an empty or zero b open upwards; an exponent's
// sign ("1e-3") is no separator; a reversed range is put in order.
TFilterRangeResult ParseFilterRange(std::string_view text, int kind, int unitIndex);

// The same range typed in another unit row of the kind: each end converted, an empty end kept
// empty. Text that is not a range stays as it stands.
std::string ConvertRangeText(std::string_view text, int kind, int fromIndex, int toIndex);

// Whether a driver of the database passes the filter: every limited range holds the driver's
// value (an unknown value, 0, passes no limit) and the name contains the filter's name without
// regard to case. A filter that is not enabled passes every driver.
bool DriverMatchesFilter(const TDriverFilter& filter, const TDriverData& driver, std::string_view name);

class TfrmDatabaseFilter : public QWidget {
    Q_OBJECT
public:
    // The main window creates it hidden at start-up, with itself as `owner`.
    explicit TfrmDatabaseFilter(QWidget* owner = nullptr);
    ~TfrmDatabaseFilter() override;

    const TDriverFilter& Filter() const { return m_Filter; }
    void SetApplyHandler(std::function<void()> handler) { m_Filter.applyHandler = std::move(handler); }
    void SetFilterEnabled(bool enabled) { m_Filter.enabled = enabled; }

    // "Apply": false (and the record unchanged) when a field holds no range; the message says which.
    bool Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    // Enter applies, Escape hides the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TRangeField {
        const char* edit;
        const char* caption;
        const char* unitLabel; // null for none
        int kind;
        TFilterRange TDriverFilter::*range;
        QLineEdit* widget = nullptr;
        TUnitLabel* label = nullptr;
        TUnitWidgetField* field = nullptr;
    };

    void UnitLabelClick(TRangeField& field);
    void DrawUnitLabels();

    TDriverFilter m_Filter;
    QLineEdit* m_Name = nullptr;
    QPushButton* m_Apply = nullptr;
    std::array<TRangeField, 14> m_Fields;
};
