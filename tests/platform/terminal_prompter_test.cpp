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
    // A carriage return alone would print the second line over the first.
    EXPECT_EQ(transcript("", [](Prompter& p) { p.showMessage(QStringLiteral("一\r二\r\n三")); }),
              "Fennick: 一\n二\n三\n");
}

TEST(TerminalPrompterTest, OnlyAnExplicitYesAnswersYesAndTheEndOfInputNothing) {
    struct Case {
        std::string input;
        Answer answer;
    };
    for (const Case& c :
         {Case{"y\n", Answer::Yes}, Case{"Y\n", Answer::Yes}, Case{"yes\n", Answer::Yes},
          Case{"YES\r\n", Answer::Yes}, Case{"y", Answer::Yes}, Case{"n\n", Answer::No},
          Case{"Yes\n", Answer::No}, Case{" y\n", Answer::No}, Case{"\n", Answer::No},
          Case{"", Answer::None}}) {
        Answer answer = Answer::None;
        const std::string printed = transcript(c.input, [&](Prompter& p) {
            answer = p.askYesNo(QStringLiteral("a.logを削除します。"), QStringLiteral("削除"));
        });
        EXPECT_EQ(answer, c.answer) << c.input;
        EXPECT_EQ(printed, "削除: a.logを削除します。 [y/N] ");
    }
}

TEST(TerminalPrompterTest, EachQuestionReadsOneLine) {
    Answer first = Answer::None, second = Answer::None, third = Answer::Yes;
    transcript("y\nn\n", [&](Prompter& p) {
        first = p.askYesNo("1", "q");
        second = p.askYesNo("2", "q");
        third = p.askYesNo("3", "q");
    });
    EXPECT_EQ(first, Answer::Yes);
    EXPECT_EQ(second, Answer::No);
    EXPECT_EQ(third, Answer::None) << "the end of the input is no answer";
}

} // namespace
