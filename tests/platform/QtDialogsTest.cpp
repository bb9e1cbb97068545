#include "platform/QtDialogs.h"

#include "tests/CaseNames.h"

#include <gtest/gtest.h>

#include <string>

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace platform;

namespace {

// Runs `act` on the first modal dialog of type T once it is shown.
template <typename T> void WhenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act]() {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

class QtDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The file dialog keeps its history in the configuration folder: keep it private.
        static QTemporaryDir configHome;
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
        static int argc = 1;
        static char name[] = "platform_ui_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            application = new QApplication(argc, argv);
    }
    static inline QApplication* application = nullptr;
    QtDialogs dialogs;
};

} // namespace

TEST(QtDialogsColour, ConvertsTheSystemByteOrder) {
    const QColor colour = ColourToQColor(0x00336699);
    EXPECT_EQ(colour.red(), 0x99);
    EXPECT_EQ(colour.green(), 0x66);
    EXPECT_EQ(colour.blue(), 0x33);
    for (const std::int32_t value : {0, 0x0000FF, 0x800080, 0x008000, 0xFFFFFF, 0x010203})
        EXPECT_EQ(QColorToColour(ColourToQColor(value)), value);
}

TEST(QtDialogsFilter, PatternsMatchWithoutCase) {
    const QString filter = QtFilterString({{"Borvik project", {"*.bvp"}}, {"All files", {}}});
    EXPECT_EQ(filter, "Borvik project (*.[bB][vV][pP]);;All files (*)");
    const QRegularExpression expression(
        QRegularExpression::wildcardToRegularExpression(QStringLiteral("*.[bB][vV][pP]")));
    EXPECT_TRUE(expression.match("Closed box.BVP").hasMatch());
    EXPECT_TRUE(expression.match("vented.bvp").hasMatch());
    EXPECT_FALSE(expression.match("vented.bvd").hasMatch());
}

struct ButtonCase {
    MessageButtons offered;
    MessageButton expectedDefault;
    MessageButton clicked; // ButtonNone: the box is closed with Escape
    MessageButton expected;
};

class QtMessage : public QtDialogsTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(QtMessage, AnswersTheButtonChosen) {
    const ButtonCase c = GetParam();
    QMessageBox::StandardButton defaultSeen = QMessageBox::NoButton;
    QString captionSeen;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        defaultSeen = box->standardButton(box->defaultButton());
        captionSeen = box->windowTitle();
        if (c.clicked == ButtonNone) {
            box->escapeButton()->click();
            return;
        }
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) != QMessageBox::InvalidRole &&
                ((c.clicked == ButtonYes && box->standardButton(button) == QMessageBox::Yes) ||
                 (c.clicked == ButtonNo && box->standardButton(button) == QMessageBox::No) ||
                 (c.clicked == ButtonOk && box->standardButton(button) == QMessageBox::Ok) ||
                 (c.clicked == ButtonRetry && box->standardButton(button) == QMessageBox::Retry)))
                button->click();
    });
    MessageRequest request;
    request.kind = MessageKind::Confirmation;
    request.text = "Save the changes to \"Closed box\"?";
    request.buttons = c.offered;
    EXPECT_EQ(dialogs.Message(request), c.expected);
    EXPECT_EQ(captionSeen, "Confirm");
    const std::pair<MessageButton, QMessageBox::StandardButton> standard[] = {
        {ButtonYes, QMessageBox::Yes}, {ButtonOk, QMessageBox::Ok}, {ButtonAbort, QMessageBox::Abort}};
    for (const auto& [button, qt] : standard) {
        if (button == c.expectedDefault) {
            EXPECT_EQ(defaultSeen, qt);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QtMessage,
    ::testing::Values(ButtonCase{ButtonYes | ButtonNo, ButtonYes, ButtonNo, ButtonNo},
                      ButtonCase{ButtonYes | ButtonNo, ButtonYes, ButtonYes, ButtonYes},
                      ButtonCase{ButtonYes | ButtonNo | ButtonCancel, ButtonYes, ButtonNone, ButtonCancel},
                      ButtonCase{ButtonYes | ButtonNo, ButtonYes, ButtonNone, ButtonNo},
                      ButtonCase{ButtonOk, ButtonOk, ButtonNone, ButtonOk},
                      ButtonCase{ButtonAbort | ButtonRetry | ButtonIgnore, ButtonAbort, ButtonRetry,
                                 ButtonRetry}),
    [](const ::testing::TestParamInfo<ButtonCase>& info) {
        return CaseName(info.index, "Offered" + std::to_string(static_cast<int>(info.param.offered)) +
                                        "Clicked" + std::to_string(static_cast<int>(info.param.clicked)));
    });

TEST_F(QtDialogsTest, SaveDialogAddsTheDefaultExtension) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QStringList filtersSeen;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        filtersSeen = dialog->nameFilters();
        dialog->selectFile(QStringLiteral("Closed box"));
        QMetaObject::invokeMethod(dialog, "accept"); // protected in QFileDialog
    });
    FileRequest request;
    request.title = "Save project";
    request.folder = folder.path().toStdString();
    request.filters = {{"Borvik project", {"*.bvp"}}};
    request.defaultExtension = "bvp";
    const auto chosen = dialogs.SaveFile(request);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, (folder.path() + "/Closed box.bvp").toStdString());
    EXPECT_EQ(filtersSeen, QStringList{"Borvik project (*.[bB][vV][pP])"});
}

TEST_F(QtDialogsTest, CancelledDialogsAnswerNothing) {
    WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_TRUE(dialogs.OpenFiles({}).empty());
    WhenShown<QColorDialog>([](QColorDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(dialogs.ChooseColour({0x0000FF, "Line colour", nullptr}));
}

TEST_F(QtDialogsTest, ColourDialogAnswersInTheSystemByteOrder) {
    QColor shown;
    WhenShown<QColorDialog>([&](QColorDialog* dialog) {
        shown = dialog->currentColor();
        dialog->setCurrentColor(QColor(0x10, 0x20, 0x30));
        dialog->accept();
    });
    EXPECT_EQ(dialogs.ChooseColour({0x0000FF, "Line colour", nullptr}), 0x302010);
    EXPECT_EQ(shown, QColor(0xFF, 0, 0));
}

// While one of the program's stay-on-top windows is shown, every dialog stays on top as well: a
// modal dialog hidden under it would block the program unseen.
TEST_F(QtDialogsTest, DialogsStayAboveTheProgramsStayOnTopWindows) {
    const auto onTop = [](const QWidget* dialog) {
        return dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    };
    struct Seen {
        bool message = false, save = false, open = false, colour = false, input = false;
    };
    const auto showAll = [&](Seen& seen) {
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            seen.message = onTop(box);
            box->escapeButton()->click();
        });
        MessageRequest request;
        request.kind = MessageKind::Error;
        request.text = "Division by zero";
        dialogs.Message(request);
        WhenShown<QFileDialog>([&](QFileDialog* dialog) {
            seen.save = onTop(dialog);
            dialog->reject();
        });
        dialogs.SaveFile({});
        WhenShown<QFileDialog>([&](QFileDialog* dialog) {
            seen.open = onTop(dialog);
            dialog->reject();
        });
        dialogs.OpenFiles({});
        WhenShown<QColorDialog>([&](QColorDialog* dialog) {
            seen.colour = onTop(dialog);
            dialog->reject();
        });
        dialogs.ChooseColour({0x0000FF, "Line colour", nullptr});
        WhenShown<QInputDialog>([&](QInputDialog* dialog) {
            seen.input = onTop(dialog);
            dialog->reject();
        });
        dialogs.InputText({});
    };

    QWidget wizard(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    wizard.show();
    Seen above;
    showAll(above);
    EXPECT_TRUE(above.message && above.save && above.open && above.colour && above.input);

    wizard.hide();
    Seen plain;
    showAll(plain);
    EXPECT_FALSE(plain.message || plain.save || plain.open || plain.colour || plain.input);
}
