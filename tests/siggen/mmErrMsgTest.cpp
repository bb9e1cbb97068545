#include "siggen/mmErrMsg.h"

#include <gtest/gtest.h>

TEST(mmErrMsg, EveryKnownCodeHasItsText) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {0, "no error"},
        {1, "unspecified error"},
        {2, "device ID out of range"},
        {3, "driver failed enable"},
        {4, "device already allocated"},
        {5, "device handle is invalid"},
        {6, "no device driver present"},
        {7, "memory allocation error"},
        {8, "function isn't supported"},
        {9, "error value out of range"},
        {10, "invalid flag passed"},
        {11, "invalid parameter passed"},
        {32, "unsupported wave format"},
        {33, "still something playing"},
        {34, "header not prepared"},
        {35, "device is synchronous"},
        {64, "header not prepared"},
        {65, "still something playing"},
        {66, "no current map"},
        {67, "hardware is still busy"},
        {68, "port no longer connected"},
        {69, "invalid setup"},
        {97, "request not completed"},
        {129, "time struct size"},
        {165, "bad parameters"},
        {166, "request not completed"},
        {167, "joystick is unplugged"},
        {257, "file not found"},
        {258, "out of memory"},
        {259, "cannot open"},
        {260, "cannot close"},
        {261, "cannot read"},
        {262, "cannot write"},
        {263, "cannot seek"},
        {264, "cannot expand file"},
        {265, "chunk not found"},
        {266, "file is unbuffered"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TranslateMMError(c.code), c.text) << c.code;
}

TEST(mmErrMsg, UnknownCodesHaveOneText) {
    for (const int code : {-1, 12, 31, 36, 63, 70, 96, 98, 128, 164, 168, 256, 267, 1 << 30})
        EXPECT_EQ(TranslateMMError(code), "invalid parameter passed to error translation routine!") << code;
}

TEST(mmErrMsg, MessageNamesTheCallAndIsEmptyWithoutError) {
    EXPECT_EQ(MMErrorMessage("waveOutReset", 5), "device handle is invalid : waveOutReset");
    EXPECT_EQ(MMErrorMessage("waveOutClose", 33), "still something playing : waveOutClose");
    EXPECT_EQ(MMErrorMessage("waveOutWrite", 0), "");
}
