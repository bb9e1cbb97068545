#pragma once

#include "ostrel/OstrelHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

// Records what the dialogs ask of the desktop and answers from a script, so nothing blocks.
class FakeHost : public COstrelHost {
public:
    struct Shown {
        QString text;
        QString caption;
        MessageStyle style;
    };

    MessageAnswer MessageBox(QWidget*, const QString& text, const QString& caption,
                             MessageStyle style) override {
        messages.push_back({text, caption, style});
        if (answers.empty())
            return MessageAnswer::Ok;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void OpenWebPage(const QString& url) override { opened.push_back(url); }

    int RunModal(QDialog& dialog) override {
        modal.push_back(dialog.objectName());
        return onRunModal ? onRunModal(dialog) : QDialog::Rejected;
    }

    std::vector<Shown> messages;
    std::deque<MessageAnswer> answers;
    std::vector<QString> opened;
    std::vector<QString> modal;
    std::function<int(QDialog&)> onRunModal;
};

// A dialog's edit and check box by control number.
template <typename Dialog> QLineEdit* Edit(const Dialog& dialog, int id) {
    return qobject_cast<QLineEdit*>(dialog.Control(id));
}
template <typename Dialog> QCheckBox* Check(const Dialog& dialog, int id) {
    return qobject_cast<QCheckBox*>(dialog.Control(id));
}

// One QApplication for the whole test program, headless unless told otherwise.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ostrel_ui_test";
        static char* argv[] = {name, nullptr};
        m_Application = new QApplication(argc, argv);
    }
    void TearDown() override { delete m_Application; }

private:
    QApplication* m_Application = nullptr;
};

// Checks that every caption under root shows whole in the font it is drawn in; returns how many
// captions it looked at.
inline int ExpectCaptionsFit(QWidget* root) {
    int checked = 0;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (widget->isHidden())
            continue;
        const QFontMetrics metrics(widget->font());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->wordWrap()) {
                const QRect needed =
                    metrics.boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, label->text());
                EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
            } else {
                EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width())
                    << label->text().toStdString();
            }
            ++checked;
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            // Room for the button's frame and a little air on either side.
            EXPECT_LE(metrics.horizontalAdvance(button->text()) + 12, button->width())
                << button->text().toStdString();
            ++checked;
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
            ++checked;
        }
    }
    return checked;
}
