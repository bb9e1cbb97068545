#pragma once

#include <QString>

#include <optional>
#include <string>

class COstrelHost;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// One exchange between a dialog's fields and its controls, in one direction. Reading stops at
// the first edit whose text is not a number: the user is told, the edit gets the focus, and the
// fields after it are left alone.
class CDataExchange {
public:
    CDataExchange(COstrelHost& host, QWidget* dialog, bool saveAndValidate);

    // Runs one exchange over a dialog's fields. A rejected text puts every field back as it was,
    // so a read is all or nothing and no field is left half read.
    template <typename Fields, typename Exchange> bool AllOrNothing(Fields& fields, Exchange exchange) {
        const Fields before = fields;
        exchange(*this);
        if (!m_Failed)
            return true;
        fields = before;
        return false;
    }

    const bool m_bSaveAndValidate;
    bool Failed() const { return m_Failed; }

    void Check(QCheckBox* box, int& value);
    void Double(QLineEdit* edit, double& value);
    void Float(QLineEdit* edit, float& value);
    // A computed value: shown, never read back from its text.
    void Result(QLineEdit* edit, float value);
    void Text(QLabel* label, QString& value);
    void Text(QPlainTextEdit* edit, QString& value);

private:
    bool Reading() const { return m_bSaveAndValidate && !m_Failed; }
    // The edit's number when it is one and no larger than largest; else the exchange fails there.
    std::optional<double> ReadNumber(QLineEdit* edit, double largest);
    void Fail(QLineEdit* edit);
    static void ShowNumber(QLineEdit* edit, const std::string& text);

    COstrelHost& m_Host;
    QWidget* m_Dialog;
    bool m_Failed = false;
};
