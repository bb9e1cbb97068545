// A sheet of every flat control in its states, for looking at them under a real display:
//   flatctl_sheet [seconds]   closes itself after the given time (default: stays open).
#include "flatctl/TFlatCheckBoxUnit.h"
#include "flatctl/TFlatComboBoxUnit.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatHintUnit.h"
#include "flatctl/TFlatMemoUnit.h"
#include "flatctl/TFlatRadioButtonUnit.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget sheet;
    sheet.setWindowTitle("Flat controls");
    auto* grid = new QGridLayout(&sheet);

    auto* edits = new QGroupBox("Edits");
    auto* editForm = new QFormLayout(edits);
    auto* plain = new TFlatEdit("plain");
    auto* focused = new TFlatEdit("focused");
    auto* disabled = new TFlatEdit("disabled");
    disabled->setEnabled(false);
    auto* marked = new TFlatEdit("highlighted by the program");
    marked->SetColorFlat(0x808000);
    auto* advanced = new TFlatEdit("advanced colours");
    advanced->SetUseAdvColors(true);
    editForm->addRow("&Plain", plain);
    editForm->addRow("&Focused", focused);
    editForm->addRow("Disabled", disabled);
    editForm->addRow("Program colour", marked);
    editForm->addRow("Advanced", advanced);
    grid->addWidget(edits, 0, 0);

    auto* combos = new QGroupBox("Combo boxes");
    auto* comboForm = new QFormLayout(combos);
    const QStringList items{"Closed box", "Vented box", "4th order bandpass", "6th order bandpass",
                            "Passive radiator"};
    auto* dropDown = new TFlatComboBox;
    dropDown->addItems(items);
    auto* list = new TFlatComboBox;
    list->SetStyle(TFlatComboBox::csDropDownList);
    list->addItems(items);
    list->SetColor(0xE1EAEB);
    auto* listDisabled = new TFlatComboBox;
    listDisabled->SetStyle(TFlatComboBox::csDropDownList);
    listDisabled->addItems(items);
    listDisabled->setEnabled(false);
    auto* simple = new TFlatComboBox;
    simple->SetStyle(TFlatComboBox::csSimple);
    simple->addItems(items);
    comboForm->addRow("Drop-down", dropDown);
    comboForm->addRow("&List", list);
    comboForm->addRow("Disabled", listDisabled);
    comboForm->addRow("Simple", simple);
    grid->addWidget(combos, 0, 1);

    auto* choices = new QGroupBox("Choices");
    auto* choiceLayout = new QVBoxLayout(choices);
    auto* radioA = new TFlatRadioButton("&Round vents");
    auto* radioB = new TFlatRadioButton("Rectangular vents");
    auto* radioC = new TFlatRadioButton("Other group, right layout");
    radioC->SetGroupIndex(1);
    radioC->SetLayout(TFlatRadioButton::radioRight);
    auto* radioDisabled = new TFlatRadioButton("Disabled and checked");
    radioDisabled->SetGroupIndex(2);
    radioDisabled->SetChecked(true);
    radioDisabled->setEnabled(false);
    auto* check = new TFlatCheckBox("&Isobaric");
    check->SetChecked(true);
    auto* checkOff = new TFlatCheckBox("Database filtering");
    auto* checkDisabled = new TFlatCheckBox("Disabled and checked");
    checkDisabled->SetChecked(true);
    checkDisabled->setEnabled(false);
    for (QWidget* widget :
         {static_cast<QWidget*>(radioA), static_cast<QWidget*>(radioB), static_cast<QWidget*>(radioC),
          static_cast<QWidget*>(radioDisabled), static_cast<QWidget*>(check), static_cast<QWidget*>(checkOff),
          static_cast<QWidget*>(checkDisabled)})
        choiceLayout->addWidget(widget);
    radioA->SetChecked(true);
    grid->addWidget(choices, 1, 0);

    auto* memos = new QGroupBox("Memo and hint");
    auto* memoLayout = new QVBoxLayout(memos);
    auto* memo = new TFlatMemo;
    memo->setPlainText("Description of the project.\nA second line that is long enough to need a horizontal "
                       "scroll bar when word wrap is off.\n3\n4\n5\n6\n7\n8");
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoLayout->addWidget(memo);
    auto* hintBubble = new TFlatHintWindow(nullptr);
    memoLayout->addWidget(new QLabel("Hint bubbles are shown beside the sheet."));
    grid->addWidget(memos, 1, 1);

    TFlatHint hint;
    hint.SetShowHintHandler([](QString&, bool& canShow, THintInfo&) { canShow = true; });
    plain->setToolTip("Net volume of the box, without the volume of the driver, vents and bracing.");

    sheet.show();
    focused->setFocus();
    const QRect screen(0, 0, sheet.x() + sheet.width() * 2 + 400, sheet.y() + sheet.height() + 300);
    const QPoint corner = sheet.geometry().bottomRight();
    hintBubble->ActivateHint(corner + QPoint(200, 40), screen,
                             "Net volume of the box, without the volume of the driver, vents and bracing.");
    auto* second = new TFlatHintWindow(nullptr);
    second->ActivateHint(QPoint(sheet.geometry().right() + 20, sheet.y() + 20), screen, "A short hint.");
    if (argc > 1)
        QTimer::singleShot(QString(argv[1]).toInt() * 1000, &app, &QApplication::quit);
    const int result = app.exec();
    delete hintBubble;
    delete second;
    return result;
}
