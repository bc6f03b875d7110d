#include "platform/console_prompts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/qt_test_support.h"

namespace gnss {
namespace {

std::string ReadAll(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

TEST(ConsolePrompts, MessagesGoToTheStreamWithPlainLineEnds) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ConsolePrompts prompts(ConsolePrompts::Policy::AlwaysNo, out, nullptr);
    prompts.ShowError("ttyUSB0 Connection Error !");
    prompts.ShowWarning(
        "Can not receive data from ttyUSB0 !!\r\n\r\nPlease change another COM "
        "Port and try again !\r\n");
    prompts.ShowInfo("done");
    EXPECT_EQ(ReadAll(out),
              "error: ttyUSB0 Connection Error !\n"
              "warning: Can not receive data from ttyUSB0 !!\n\nPlease change another COM Port "
              "and try again !\n"
              "done\n");
    std::fclose(out);
}

TEST(ConsolePrompts, FixedPoliciesAnswerWithoutReading) {
    struct Case {
        ConsolePrompts::Policy Policy;
        PromptAnswer Expected;
        const char* Shown;
    };
    const Case cases[] = {
        {ConsolePrompts::Policy::AlwaysNo, PromptAnswer::No, "Switch ? [no]\n"},
        {ConsolePrompts::Policy::AlwaysYes, PromptAnswer::Yes, "Switch ? [yes]\n"},
        // Input that is not a terminal (a pipe, a file, /dev/null) is never read.
        {ConsolePrompts::Policy::AskTerminal, PromptAnswer::No, "Switch ? [no]\n"},
    };
    for (const auto& c : cases) {
        std::FILE* out = std::tmpfile();
        std::FILE* in = std::tmpfile();
        std::fputs("y\n", in);
        std::rewind(in);
        ConsolePrompts prompts(c.Policy, out, in);
        EXPECT_EQ(prompts.ConfirmYesNo("Switch ?"), c.Expected);
        EXPECT_EQ(ReadAll(out), c.Shown);
        EXPECT_EQ(std::ftell(in), 0L);  // nothing consumed
        std::fclose(out);
        std::fclose(in);
    }
}

TEST(ConsolePrompts, AsksOnATerminal) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    std::FILE* in = ::fdopen(::dup(pty.Slave()), "r");
    ASSERT_NE(in, nullptr);
    std::FILE* out = std::tmpfile();
    ConsolePrompts prompts(ConsolePrompts::Policy::AskTerminal, out, in);
    struct Case {
        const char* Typed;
        PromptAnswer Expected;
    };
    const Case cases[] = {
        {"y\n", PromptAnswer::Yes},
        {"  Yes please\n", PromptAnswer::Yes},
        {"n\n", PromptAnswer::No},
        {"\n", PromptAnswer::No},
        // An over-long answer is consumed whole and does not answer the next question.
        {"nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnyyyy\n",
         PromptAnswer::No},
        {"Y\n", PromptAnswer::Yes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        ASSERT_TRUE(pty.WriteMaster(c.Typed));
        EXPECT_EQ(prompts.ConfirmYesNo("Delete ?"), c.Expected);
    }
    EXPECT_EQ(ReadAll(out).substr(0, 15), "Delete ? [y/N] ");
    std::fclose(out);
    std::fclose(in);
}

}  // namespace
}  // namespace gnss
