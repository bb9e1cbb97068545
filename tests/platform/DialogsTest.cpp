#include "platform/Dialogs.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Dialogs, EscapeAnswersCancelThenNoThenTheOnlyButton) {
    EXPECT_EQ(EscapeButton(ButtonYes | ButtonNo | ButtonCancel), ButtonCancel);
    EXPECT_EQ(EscapeButton(ButtonYes | ButtonNo), ButtonNo);
    EXPECT_EQ(EscapeButton(ButtonOk), ButtonOk);
    EXPECT_EQ(EscapeButton(ButtonAbort | ButtonRetry | ButtonIgnore), ButtonAbort);
    // Without buttons a box shows Ok alone, so every implementation answers Ok, as the Qt box does.
    EXPECT_EQ(EscapeButton(ButtonNone), ButtonOk);
    EXPECT_EQ(SilentDialogs().MessageDlg("Done", MessageKind::Information, ButtonNone), ButtonOk);
}

TEST(Dialogs, SilentByDefaultScriptedWhileInstalled) {
    EXPECT_EQ(AppDialogs().MessageDlg("Save changes?", MessageKind::Confirmation, ButtonYes | ButtonNo),
              ButtonNo);
    EXPECT_FALSE(AppDialogs().SaveFile({}));
    {
        ScriptedDialogs script;
        script.messageAnswers = {ButtonYes};
        script.saveAnswers = {std::string("/tmp/a.bvp")};
        script.openAnswers = {{"/tmp/x.bvp", "/tmp/y.bvp"}};
        script.colourAnswers = {0x123456};
        ScopedDialogs scope(script);

        EXPECT_EQ(AppDialogs().MessageDlg("Save changes?", MessageKind::Confirmation, ButtonYes | ButtonNo),
                  ButtonYes);
        EXPECT_EQ(AppDialogs().SaveFile({}), "/tmp/a.bvp");
        EXPECT_EQ(AppDialogs().OpenFile({}), "/tmp/x.bvp");
        EXPECT_EQ(AppDialogs().ChooseColour({0xFF, "Colour", nullptr}), 0x123456);
        // Nothing scripted any more: the cautious answer, and the test can see it happened.
        EXPECT_EQ(
            AppDialogs().MessageDlg("Overwrite?", MessageKind::Warning, ButtonYes | ButtonNo | ButtonCancel),
            ButtonCancel);
        EXPECT_EQ(script.unscripted, 1);

        ASSERT_EQ(script.messages.size(), 2u);
        EXPECT_EQ(script.messages[0].text, "Save changes?");
        EXPECT_EQ(script.messages[0].kind, MessageKind::Confirmation);
        ASSERT_EQ(script.opens.size(), 1u);
        EXPECT_FALSE(script.opens[0].allowMultiple);
        EXPECT_EQ(script.colours.at(0).colour, 0xFF);
    }
    EXPECT_FALSE(AppDialogs().OpenFile({}));
}
