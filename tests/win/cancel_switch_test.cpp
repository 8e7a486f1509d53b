#include "cancel_switch.h"

#include <gtest/gtest.h>

namespace {

struct Answer {
    CancelSwitch* cancel;
    bool yes;
};

DWORD WINAPI AnswerLater(void* parameter)
{
    const Answer* answer = static_cast<Answer*>(parameter);
    Sleep(200);
    answer->cancel->Answered(answer->yes);
    return 0;
}

// The copy's end and a person's Cancel may cross: a Yes given before the end is honoured there,
// an open question is waited for, and once the end has passed no question opens.
TEST(CancelSwitch, TheEndHonoursAYesGivenBeforeItAndRefusesQuestionsAfterIt)
{
    const struct {
        const char* what;
        bool asked;
        bool answeredLater;  // on another thread, while the end waits
        bool yes;
    } rows[] = {{"not asked", false, false, false},
                {"answered no", true, false, false},
                {"answered yes", true, false, true},
                {"open at the end, then no", true, true, false},
                {"open at the end, then yes", true, true, true}};
    for (const auto& row : rows) {
        CancelSwitch cancel;
        Answer answer = {&cancel, row.yes};
        HANDLE answering = nullptr;
        if (row.asked) {
            ASSERT_TRUE(cancel.Asking()) << row.what;
            if (row.answeredLater)
                answering = CreateThread(nullptr, 0, AnswerLater, &answer, 0, nullptr);
            else
                cancel.Answered(row.yes);
        }
        EXPECT_EQ(cancel.Close(), row.yes) << row.what;
        EXPECT_EQ(cancel.Cancelled(), row.yes) << row.what;
        EXPECT_FALSE(cancel.Asking()) << row.what << ": a question after the end";
        if (answering) {
            WaitForSingleObject(answering, INFINITE);
            CloseHandle(answering);
        }
    }
}

}  // namespace
