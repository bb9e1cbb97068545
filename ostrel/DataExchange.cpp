#include "ostrel/DataExchange.h"

#include "ostrel/NumberText.h"
#include "ostrel/OstrelHost.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cfloat>
#include <cmath>

CDataExchange::CDataExchange(COstrelHost& host, QWidget* dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_Host(host), m_Dialog(dialog) {}

void CDataExchange::Check(QCheckBox* box, int& value) {
    if (!m_bSaveAndValidate)
        box->setChecked(value != 0);
    else if (Reading())
        value = box->isChecked() ? 1 : 0;
}

void CDataExchange::Double(QLineEdit* edit, double& value) {
    if (!m_bSaveAndValidate)
        ShowNumber(edit, ostrel::formatDouble(value));
    else if (const std::optional<double> number = ReadNumber(edit, DBL_MAX))
        value = *number;
}

void CDataExchange::Float(QLineEdit* edit, float& value) {
    if (!m_bSaveAndValidate)
        ShowNumber(edit, ostrel::formatFloat(value));
    // A number beyond single precision would turn into infinity.
    else if (const std::optional<double> number = ReadNumber(edit, FLT_MAX))
        value = static_cast<float>(*number);
}

std::optional<double> CDataExchange::ReadNumber(QLineEdit* edit, double largest) {
    if (!Reading())
        return std::nullopt;
    const std::optional<double> number = ostrel::parseNumber(edit->text().toStdString());
    if (!number || std::fabs(*number) > largest) {
        Fail(edit);
        return std::nullopt;
    }
    return number;
}

void CDataExchange::Result(QLineEdit* edit, float value) {
    if (!m_bSaveAndValidate)
        ShowNumber(edit, ostrel::formatFloat(value));
}

void CDataExchange::ShowNumber(QLineEdit* edit, const std::string& text) {
    edit->setText(QString::fromStdString(text));
    // A long number shows its leading digits, not its tail.
    edit->setCursorPosition(0);
}

void CDataExchange::Text(QLabel* label, QString& value) {
    if (!m_bSaveAndValidate)
        label->setText(value);
    else if (Reading())
        value = label->text();
}

void CDataExchange::Text(QPlainTextEdit* edit, QString& value) {
    if (!m_bSaveAndValidate)
        edit->setPlainText(value);
    else if (Reading())
        value = edit->toPlainText();
}

void CDataExchange::Fail(QLineEdit* edit) {
    m_Failed = true;
    m_Host.MessageBox(m_Dialog, QStringLiteral("Please enter a number."), QStringLiteral("Ostrel"),
                      MessageStyle::OkWarning);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}
