#pragma once

#include "ostrel/OstrelHost.h"

#include <QApplication>
#include <QDialog>
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
