#include "platform/terminal_prompter.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs one prompter call with the given input and returns what it printed.
template <typename Call> std::string transcript(const std::string& input, Call call) {
    char* printed = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&printed, &size);
    std::FILE* in = input.empty() ? std::fopen("/dev/null", "r")
                                  : fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    TerminalPrompter prompter(out, in);
    call(prompter);
    std::fclose(out);
    std::fclose(in);
    std::string text(printed, size);
    std::free(printed);
    return text;
}

TEST(TerminalPrompterTest, WritesCaptionAndText) {
    EXPECT_EQ(transcript("", [](Prompter& p) { p.showMessage(QStringLiteral("コピー完了")); }),
              "Fennick: コピー完了\n");
}

TEST(TerminalPrompterTest, OnlyAnExplicitYesAnswersYes) {
    struct Case {
        std::string input;
        bool yes;
    };
    for (const Case& c : {Case{"y\n", true}, Case{"Y\n", true}, Case{"yes\n", true},
                          Case{"YES\r\n", true}, Case{"n\n", false}, Case{"Yes\n", false},
                          Case{" y\n", false}, Case{"\n", false}, Case{"", false}}) {
        bool answer = !c.yes;
        const std::string printed = transcript(c.input, [&](Prompter& p) {
            answer = p.askYesNo(QStringLiteral("a.logを削除します。"), QStringLiteral("削除"));
        });
        EXPECT_EQ(answer, c.yes) << c.input;
        EXPECT_EQ(printed, "削除: a.logを削除します。 [y/N] ");
    }
}

TEST(TerminalPrompterTest, EachQuestionReadsOneLine) {
    bool first = false, second = true, third = true;
    transcript("y\nn\n", [&](Prompter& p) {
        first = p.askYesNo("1", "q");
        second = p.askYesNo("2", "q");
        third = p.askYesNo("3", "q");
    });
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_FALSE(third) << "the end of the input answers No";
}

} // namespace
